#pragma once

#include "shell/Settings.h"

#include <QSettings>
#include <QTemporaryDir>

#include <memory>

namespace tabrivel::testing {

// A settings store in a temporary file, never the real user's.
class TempSettings {
public:
    TempSettings()
        : store_(std::make_unique<QSettings>(dir_.filePath(QStringLiteral("store.ini")),
                                             QSettings::IniFormat)),
          settings_(*store_) {}

    Settings& settings() { return settings_; }
    QString fileName() const { return store_->fileName(); }

    // A second, independent view of the same file, as another start would open it.
    std::unique_ptr<QSettings> reopen() const {
        return std::make_unique<QSettings>(fileName(), QSettings::IniFormat);
    }

private:
    QTemporaryDir dir_;
    std::unique_ptr<QSettings> store_;
    Settings settings_;
};

} // namespace tabrivel::testing
