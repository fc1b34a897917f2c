// The German catalogue: every text the sources mark (lupdate over them finds
// nothing the catalogue lacks), each translated, with the same placeholders
// and as many mnemonics as its English text, and the mnemonics of every
// form still unique.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QXmlStreamReader>
#include <map>
#include <set>

#include "support/temp_dir.h"

namespace vig::test {
namespace {

struct Message {
    QString context;
    QString source;
    QString translation;
    QString type;  // "unfinished", "vanished", "obsolete" or ""
};

std::vector<Message> ReadCatalogue(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    QXmlStreamReader xml(&file);
    std::vector<Message> messages;
    QString context;
    Message current;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement()) continue;
        const auto name = xml.name();
        if (name == u"context") {
            context.clear();
        } else if (name == u"name" && context.isEmpty()) {
            context = xml.readElementText();
        } else if (name == u"message") {
            current = Message{context, {}, {}, {}};
        } else if (name == u"source") {
            current.source = xml.readElementText();
        } else if (name == u"translation") {
            current.type = xml.attributes().value(QStringLiteral("type")).toString();
            current.translation = xml.readElementText();
            messages.push_back(current);
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return messages;
}

// The placeholders of a text (%1 to %99, and a progress bar's %v, %m, %p),
// as a sorted list (a repeated one counts each time).
QStringList Placeholders(const QString& text) {
    QStringList found;
    static const QRegularExpression pattern(QStringLiteral("%(\\d+|[vmp])"));
    for (const QRegularExpressionMatch& m : pattern.globalMatch(text)) found << m.captured();
    found.sort();
    return found;
}

// The mnemonic letters of a text ('&' before a letter; "&&" is an ampersand).
QString Mnemonics(const QString& text) {
    QString letters;
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != u'&') continue;
        if (text[i + 1] == u'&') {
            ++i;
            continue;
        }
        letters += text[i + 1].toLower();
    }
    return letters;
}

// The Designer forms' contexts are their class names; the texts the code
// sets on a form's labels belong with that form.
QString MnemonicGroup(const Message& m) {
    static const std::map<QString, QString> owners = {
        {QStringLiteral("vig::ui::texts"), QStringLiteral("MainWindow")},
        {QStringLiteral("vig::shell"), QStringLiteral("SnapshrinkDlg")}};
    const auto owner = owners.find(m.context);
    return owner != owners.end() ? owner->second : m.context;
}

const QString kCatalogue = QStringLiteral(VIG_TS_FILE);

TEST(GermanCatalogue, EveryTextIsTranslatedWithItsPlaceholdersAndMnemonics) {
    const std::vector<Message> messages = ReadCatalogue(kCatalogue);
    ASSERT_GT(messages.size(), 400u);
    // group -> letter -> the English text that has it (a label the code
    // sets takes the letter its form gave it)
    std::map<QString, std::map<QChar, QString>> taken;
    for (const Message& m : messages) {
        const std::string where = (m.context + QStringLiteral(": ") + m.source).toStdString();
        EXPECT_EQ(m.type, QString()) << where;
        EXPECT_FALSE(m.translation.isEmpty()) << where;
        EXPECT_EQ(Placeholders(m.translation), Placeholders(m.source)) << where;
        const QString english = Mnemonics(m.source), german = Mnemonics(m.translation);
        EXPECT_EQ(german.size(), english.size()) << where << " -> " << m.translation.toStdString();
        EXPECT_EQ(m.source.endsWith(u'\n'), m.translation.endsWith(u'\n')) << where;
        for (const QChar letter : german) {
            auto& letters = taken[MnemonicGroup(m)];
            const auto [at, added] = letters.emplace(letter, m.source.trimmed());
            EXPECT_TRUE(added || at->second == m.source.trimmed())
                << "Alt+" << QString(letter).toStdString() << " twice in "
                << MnemonicGroup(m).toStdString() << ": " << at->second.toStdString() << ", "
                << m.source.toStdString() << " -> " << m.translation.toStdString();
        }
    }
}

TEST(GermanCatalogue, HoldsEveryTextTheSourcesMark) {
    // lupdate over the sources into a copy: it adds what the catalogue
    // lacks as unfinished and marks what the sources no longer have as
    // vanished.
    TempDir dir;
    const QString copy = QString::fromStdString(dir / "vignettor_de.ts");
    ASSERT_TRUE(QFile::copy(kCatalogue, copy));
    QProcess lupdate;
    lupdate.start(
        QStringLiteral(VIG_LUPDATE),
        {QStringLiteral("-extensions"), QStringLiteral("cpp,h,ui"), QStringLiteral("-locations"),
         QStringLiteral("none"), QStringLiteral(VIG_SOURCE_DIR), QStringLiteral("-ts"), copy});
    ASSERT_TRUE(lupdate.waitForFinished(120000));
    ASSERT_EQ(lupdate.exitCode(), 0) << lupdate.readAllStandardError().toStdString();

    const std::vector<Message> committed = ReadCatalogue(kCatalogue);
    std::set<std::pair<QString, QString>> known;
    for (const Message& m : committed) known.emplace(m.context, m.source);
    size_t marked = 0;
    for (const Message& m : ReadCatalogue(copy)) {
        const std::string where = (m.context + QStringLiteral(": ") + m.source).toStdString();
        EXPECT_TRUE(known.count({m.context, m.source})) << "not in the catalogue: " << where;
        EXPECT_NE(m.type, QStringLiteral("vanished")) << "no longer in the sources: " << where;
        EXPECT_NE(m.type, QStringLiteral("obsolete")) << "no longer in the sources: " << where;
        ++marked;
    }
    EXPECT_EQ(marked, committed.size());
}

}  // namespace
}  // namespace vig::test
