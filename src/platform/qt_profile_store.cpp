#include "platform/qt_profile_store.h"

#include <QByteArray>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace vig::platform {

QtProfileStore::QtProfileStore()
    : settings_(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                            QString::fromUtf8(kCompanyKey),
                                            QString::fromUtf8(kApplicationKey))) {
    settings_->beginGroup(QString::fromUtf8(kApplicationKey));
}

QtProfileStore::~QtProfileStore() {
    settings_->endGroup();
    settings_->sync();
}

long long QtProfileStore::ReadInt(const std::string& name, long long fallback) {
    const QVariant v = settings_->value(QString::fromUtf8(name));
    if (!v.isValid()) return fallback;
    long long out = 0;
    if (!ParseStoredInteger(v.toString().toStdString(), &out)) return fallback;
    return out;
}

void QtProfileStore::WriteInt(const std::string& name, long long value) {
    settings_->setValue(QString::fromUtf8(name), QVariant::fromValue<qlonglong>(value));
}

std::string QtProfileStore::ReadString(const std::string& name, const std::string& fallback) {
    const QVariant v = settings_->value(QString::fromUtf8(name));
    if (!v.isValid()) return fallback;
    // A hand-written text with unquoted commas ("Hello, world") comes back as
    // a list of its parts; put them together again rather than lose them.
    if (v.typeId() == QMetaType::QByteArray) return v.toByteArray().toStdString();
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList().join(QStringLiteral(", ")).toStdString();
    return v.toString().toStdString();
}

void QtProfileStore::WriteString(const std::string& name, const std::string& value) {
    // Texts are bytes; one that is not UTF-8 (a Latin-1 file name) is kept
    // as bytes so that it reads back unchanged.
    const QString text = QString::fromStdString(value);
    if (text.toStdString() == value)
        settings_->setValue(QString::fromUtf8(name), text);
    else
        settings_->setValue(QString::fromUtf8(name),
                            QByteArray(value.data(), static_cast<qsizetype>(value.size())));
}

void QtProfileStore::Flush() { settings_->sync(); }

std::string QtProfileStore::FilePath() const { return settings_->fileName().toStdString(); }

}  // namespace vig::platform
