#include "platform/translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QTranslator>
#include <atomic>
#include <memory>
#include <mutex>

namespace vig {
namespace {

std::atomic<TranslateFunction> gTranslate{nullptr};

struct Catalogues {
    std::unique_ptr<QTranslator> own;
    std::unique_ptr<QTranslator> qt;
    QCoreApplication* installedIn = nullptr;
};

Catalogues& Loaded() {
    static Catalogues catalogues;
    return catalogues;
}

std::string CatalogueTranslate(const char* context, const char* text) {
    const QString shown = Loaded().own->translate(context, text);
    return shown.isEmpty() ? std::string(text) : shown.toStdString();
}

// The languages the user asked for, best first, up to the first English
// one: English is the texts' own language and needs no catalogue.
QStringList WantedLanguages() {
    QStringList wanted;
    for (const QString& language : QLocale().uiLanguages()) {
        if (QLocale(language).language() == QLocale::English) break;
        wanted << QString(language).replace(u'-', u'_');
    }
    return wanted;
}

// The catalogue `name`_<language>.qm in `folder` for the first of the
// wanted languages that has one; null when none has.
std::unique_ptr<QTranslator> LoadCatalogue(const QStringList& languages, const QString& name,
                                           const QString& folder) {
    auto translator = std::make_unique<QTranslator>();
    for (const QString& language : languages)
        if (translator->load(name + u'_' + language, folder)) return translator;
    return nullptr;
}

}  // namespace

bool LoadCatalogues(const std::vector<std::string>& folders) {
    static std::once_flag read;
    Catalogues& c = Loaded();
    std::call_once(read, [&] {
        const QStringList languages = WantedLanguages();
        for (const std::string& folder : folders) {
            if (languages.isEmpty()) break;
            c.own = LoadCatalogue(languages, QStringLiteral("vignettor"),
                                  QString::fromStdString(folder));
            if (c.own) break;
        }
        // Qt's catalogue only beside one of ours: a language Vignettor does
        // not speak keeps its buttons in English too.
        if (c.own) {
            c.qt = LoadCatalogue(languages, QStringLiteral("qtbase"),
                                 QLibraryInfo::path(QLibraryInfo::TranslationsPath));
            SetTranslateFunction(CatalogueTranslate);
        }
    });
    QCoreApplication* app = QCoreApplication::instance();
    if (app != nullptr && app != c.installedIn) {
        if (c.qt) QCoreApplication::installTranslator(c.qt.get());
        if (c.own) QCoreApplication::installTranslator(c.own.get());
        c.installedIn = app;
    }
    return c.own != nullptr;
}

void SetTranslateFunction(TranslateFunction function) {
    gTranslate.store(function);
}

std::string Translate(const char* context, const char* text) {
    if (text == nullptr) return {};
    const TranslateFunction function = gTranslate.load();
    return function != nullptr ? function(context, text) : std::string(text);
}

std::string FillIn(const std::string& pattern, const std::vector<std::string>& values) {
    std::string out;
    out.reserve(pattern.size());
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        if (pattern[i] == '%' && next >= '1' && next <= '9' &&
            static_cast<size_t>(next - '1') < values.size()) {
            out += values[static_cast<size_t>(next - '1')];
            ++i;
        } else {
            out.push_back(pattern[i]);
        }
    }
    return out;
}

}  // namespace vig
