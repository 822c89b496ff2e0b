#pragma once

#include "shell/Prompts.h"

#include <QPointer>
#include <QWidget>

namespace tabrivel {

// The real dialogs, clipboard and desktop behind the prompts interface.
class QtPrompts final : public Prompts {
public:
    // Boxes are centred on (and modal to) this window once it exists.
    void setParentWindow(QWidget* window) { parent_ = window; }

    BoxAnswer messageBox(const QString& title, const QString& text, BoxIcon icon,
                         BoxButtons buttons) override;
    std::optional<QString> inputBox(const QString& title, const QString& prompt,
                                    const QString& defaultText) override;
    QStringList openFiles(const QString& title, const QString& filter, bool multiSelect) override;
    QString existingDirectory(const QString& title, const QString& startFolder) override;
    void clearClipboard() override;
    void setClipboardText(const QString& text) override;
    bool openUrl(const QUrl& url) override;

private:
    QPointer<QWidget> parent_;
};

// Message texts keep their line breaks as CR LF or bare CR, as users have always
// quoted them; a box on this platform only breaks lines on LF.
QString DisplayLineBreaks(const QString& text);

// The text as a box shows it: its own line breaks, and lines broken at blanks to fit
// the box, so that no address is ever split.
QString BoxText(const QString& text, const QWidget& box);

} // namespace tabrivel
