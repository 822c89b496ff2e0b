#pragma once

#include "ScriptedPrompts.h"
#include "TempSettings.h"
#include "app/MainWindow.h"
#include "inputs/InputListModel.h"

#include <QAbstractButton>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeView>

#include <memory>

namespace tabrivel::testing {

// A window over scripted prompts, a temporary store, a fixed random draw, a program
// folder of its own (empty unless the test puts the hand pointer or the skin there) and
// no maker's addresses unless the test gives some, whatever the build was configured with.
struct WindowFixture {
    ScriptedPrompts prompts;
    TempSettings store;
    QTemporaryDir programDir;
    double randomDraw = 0.5;
    MakerAddresses addresses;

    std::unique_ptr<MainWindow> open() {
        return std::make_unique<MainWindow>(ShellContext{prompts, store.settings(),
                                                         [this] { return randomDraw; },
                                                         programDir.path(), addresses});
    }

    void seed(const QString& key, const QString& value) {
        store.settings().WriteSetting(key, value);
    }

    QString stored(const QString& key) const {
        const auto view = store.reopen();
        return view->value("Tabrivel/" + key, QStringLiteral("<missing>")).toString();
    }

    bool putBesideProgram(const QString& relativePath, const QByteArray& bytes) {
        const QString path = programDir.filePath(relativePath);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }
};

// The input list's rows, first to last.
inline QStringList InputRows(const MainWindow& window) {
    QStringList rows;
    for (int row = 0; row < window.inputList().count(); ++row)
        rows << window.inputList().pathAt(row);
    return rows;
}

// One of the window's two lists by its control name.
inline QTreeView* ListOf(const MainWindow& window, const char* name) {
    return qobject_cast<QTreeView*>(window.control(QString::fromLatin1(name)));
}

// Clicks a push button of the window by its control name, as the user would.
inline void ClickButton(MainWindow& window, const char* name) {
    qobject_cast<QAbstractButton*>(window.control(QString::fromLatin1(name)))->click();
}

} // namespace tabrivel::testing
