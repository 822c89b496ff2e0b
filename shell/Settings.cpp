#include "shell/Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <array>
#include <cmath>
#include <stdexcept>

namespace tabrivel {

namespace {

const QString kSection = QStringLiteral("Tabrivel");

struct SettingEntry {
    Setting setting;
    const char* key;
    const char* defaultText; // nullptr: computed (the Desktop folder)
};

constexpr std::array kSettings{
    SettingEntry{Setting::Option, "Option", "2"},
    SettingEntry{Setting::Include, "Include", "True"},
    SettingEntry{Setting::TableName, "Table Name", "Table1"},
    SettingEntry{Setting::TableDelimited, "Table Delimited", "'"},
    SettingEntry{Setting::OutputFolder, "Output Folder", nullptr},
    SettingEntry{Setting::Option1, "Option1", "1"},
    SettingEntry{Setting::Option2, "Option2", "0"},
    SettingEntry{Setting::Extension, "Extension", "dbf"},
    SettingEntry{Setting::LastFolder, "LastFolder", ""},
    SettingEntry{Setting::LastFolderDot, "LastFolderDot", ""},
};

const SettingEntry& EntryOf(Setting setting) {
    for (const auto& entry : kSettings) {
        if (entry.setting == setting)
            return entry;
    }
    throw std::invalid_argument("Unknown setting");
}

QString QualifiedKey(const QString& key) {
    return kSection + QLatin1Char('/') + key;
}

[[noreturn]] void TypeMismatch() {
    throw std::runtime_error("Type mismatch");
}

} // namespace

QString SettingKey(Setting setting) {
    return QString::fromLatin1(EntryOf(setting).key);
}

QString SettingDefault(Setting setting) {
    const auto& entry = EntryOf(setting);
    if (entry.defaultText == nullptr)
        return DesktopFolder();
    return QString::fromLatin1(entry.defaultText);
}

QString DesktopFolder() {
    // Minimal and server desktops often have no Desktop folder, though its name is known;
    // a default the first save must refuse ("Folder does not exist") helps nobody.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    folder = QDir::toNativeSeparators(folder);
    if (!folder.endsWith(QDir::separator()))
        folder += QDir::separator();
    return folder;
}

QString Settings::ReadSetting(const QString& key, const QString& defaultValue) const {
    const QString qualified = QualifiedKey(key);
    if (!store_.contains(qualified))
        return defaultValue;
    return store_.value(qualified).toString();
}

QString Settings::ReadSetting(const QString& key, int defaultValue) const {
    return ReadSetting(key, QString::number(defaultValue));
}

void Settings::WriteSetting(const QString& key, const QString& value) {
    store_.setValue(QualifiedKey(key), value);
    store_.sync();
}

QString Settings::read(Setting setting) const {
    return ReadSetting(SettingKey(setting), SettingDefault(setting));
}

void Settings::write(Setting setting, const QString& value) {
    WriteSetting(SettingKey(setting), value);
}

std::unique_ptr<QSettings> OpenUserStore() {
    // The application name doubles as the file name; the section inside it is ours.
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("Marlquist"), QStringLiteral("Marlquist"));
}

double SettingToNumber(const QString& text) {
    bool ok = false;
    const double number = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(number))
        TypeMismatch();
    return number;
}

bool SettingToTruth(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (trimmed.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    return SettingToNumber(trimmed) != 0.0;
}

QString TruthText(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

} // namespace tabrivel
