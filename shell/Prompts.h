#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

namespace tabrivel {

enum class BoxIcon { None, Information, Warning, Question, Critical };
enum class BoxButtons { Ok, YesNo };
enum class BoxAnswer { Ok, Yes, No };

// Every conversation with the user or the desktop goes through here, so that the
// window's commands can be driven by a script of answers and nothing ever waits on a
// real modal dialog outside the running program.
class Prompts {
public:
    virtual ~Prompts() = default;

    // A modal message box; answers the button that closed it (closing a Yes/No box
    // without choosing counts as No).
    virtual BoxAnswer messageBox(const QString& title, const QString& text, BoxIcon icon,
                                 BoxButtons buttons) = 0;

    // A one-line text prompt; std::nullopt when the user cancelled.
    virtual std::optional<QString> inputBox(const QString& title, const QString& prompt,
                                            const QString& defaultText) = 0;

    // The open-file dialog; the chosen full paths in the dialog's order, empty on cancel.
    virtual QStringList openFiles(const QString& title, const QString& filter,
                                  bool multiSelect) = 0;

    // The folder chooser; the chosen folder, or the empty text on cancel.
    virtual QString existingDirectory(const QString& title, const QString& startFolder) = 0;

    virtual void clearClipboard() = 0;
    virtual void setClipboardText(const QString& text) = 0;

    // Hands an address (web page, local folder) to the desktop; false when nothing took it.
    virtual bool openUrl(const QUrl& url) = 0;
};

} // namespace tabrivel
