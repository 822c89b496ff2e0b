#pragma once

#include <QString>

#include <memory>

class QSettings;

namespace tabrivel {

// Every key the program keeps for its user. No other key is ever written.
enum class Setting {
    Option,
    Include,
    TableName,
    TableDelimited,
    OutputFolder,
    Option1,
    Option2,
    Extension,
    LastFolder,
    LastFolderDot,
};

// The key's stored name, exactly as older installations wrote it.
QString SettingKey(Setting setting);

// The text a read yields while the key has never been written. The output folder's
// default is the user's Desktop, looked up anew each time.
QString SettingDefault(Setting setting);

// The user's Desktop folder with a trailing separator; the home folder when there is no
// Desktop folder.
QString DesktopFolder();

// The per-user store: one section of text values. Nothing is cached here and nothing is
// ever removed; every write is flushed at once so another start sees it.
class Settings {
public:
    explicit Settings(QSettings& store) : store_(store) {}

    QString ReadSetting(const QString& key, const QString& defaultValue) const;
    QString ReadSetting(const QString& key, int defaultValue) const;
    void WriteSetting(const QString& key, const QString& value);

    QString read(Setting setting) const;
    void write(Setting setting, const QString& value);

private:
    QSettings& store_;
};

// The real user's store (application "Marlquist", section "Tabrivel").
std::unique_ptr<QSettings> OpenUserStore();

// The text forms a stored number or truth value may take; both throw a
// "Type mismatch" failure for anything else.
double SettingToNumber(const QString& text);
bool SettingToTruth(const QString& text);
QString TruthText(bool value);

} // namespace tabrivel
