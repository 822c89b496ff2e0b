#pragma once

#include "shell/Prompts.h"

#include <QList>
#include <QQueue>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <optional>

namespace tabrivel::testing {

// One box, prompt or dialog the program showed, as the user would have seen it.
struct ShownBox {
    enum class Kind { Message, Input, OpenFiles, Directory };
    Kind kind = Kind::Message;
    QString title;
    QString text; // message text, input prompt, or dialog filter
    BoxIcon icon = BoxIcon::None;
    BoxButtons buttons = BoxButtons::Ok;
    QString defaultText; // input box default, folder dialog start folder
};

// Answers the program's questions from queues filled by the test and records everything
// it was shown. An unscripted question gets the cautious answer (No, Cancel, nothing
// chosen) and is counted, so a test can tell it was not expected.
class ScriptedPrompts final : public Prompts {
public:
    QQueue<BoxAnswer> messageAnswers;
    QQueue<std::optional<QString>> inputAnswers;
    QQueue<QStringList> fileAnswers;
    QQueue<QString> directoryAnswers;

    QList<ShownBox> shown;
    QList<QUrl> openedUrls;
    std::optional<QString> clipboard; // nullopt: never touched
    int clipboardClears = 0;
    int unscripted = 0;
    bool desktopOpensUrls = true; // false: as on a desktop without a file manager
    // Runs as each box, prompt or dialog is shown; a test throws from it to make the
    // showing fail.
    std::function<void(const ShownBox&)> onShow;

    BoxAnswer messageBox(const QString& title, const QString& text, BoxIcon icon,
                         BoxButtons buttons) override {
        show({ShownBox::Kind::Message, title, text, icon, buttons, {}});
        if (!messageAnswers.isEmpty())
            return messageAnswers.dequeue();
        if (buttons == BoxButtons::Ok)
            return BoxAnswer::Ok;
        ++unscripted;
        return BoxAnswer::No;
    }

    std::optional<QString> inputBox(const QString& title, const QString& prompt,
                                    const QString& defaultText) override {
        show({ShownBox::Kind::Input, title, prompt, BoxIcon::None, BoxButtons::Ok, defaultText});
        return next(inputAnswers, std::optional<QString>());
    }

    QStringList openFiles(const QString& title, const QString& filter, bool) override {
        show({ShownBox::Kind::OpenFiles, title, filter, BoxIcon::None, BoxButtons::Ok, {}});
        return next(fileAnswers, QStringList());
    }

    QString existingDirectory(const QString& title, const QString& startFolder) override {
        show({ShownBox::Kind::Directory, title, {}, BoxIcon::None, BoxButtons::Ok, startFolder});
        return next(directoryAnswers, QString());
    }

    void clearClipboard() override {
        ++clipboardClears;
        clipboard = QString();
    }
    void setClipboardText(const QString& text) override { clipboard = text; }
    bool openUrl(const QUrl& url) override {
        openedUrls.append(url);
        return desktopOpensUrls;
    }

    // The message boxes only, in the order shown.
    QList<ShownBox> messages() const {
        QList<ShownBox> boxes;
        for (const auto& box : shown) {
            if (box.kind == ShownBox::Kind::Message)
                boxes.append(box);
        }
        return boxes;
    }

private:
    void show(const ShownBox& box) {
        shown.append(box);
        if (onShow)
            onShow(box);
    }

    template <typename T> T next(QQueue<T>& answers, T cautious) {
        if (!answers.isEmpty())
            return answers.dequeue();
        ++unscripted;
        return cautious;
    }
};

} // namespace tabrivel::testing
