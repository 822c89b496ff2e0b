#include "app/QtPrompts.h"

#include "app/BoxTextWrap.h"
#include "app/BoxTitleRoom.h"
#include "fs/NativePath.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace tabrivel {

namespace {

QMessageBox::Icon ToQtIcon(BoxIcon icon) {
    switch (icon) {
    case BoxIcon::None:
        return QMessageBox::NoIcon;
    case BoxIcon::Information:
        return QMessageBox::Information;
    case BoxIcon::Warning:
        return QMessageBox::Warning;
    case BoxIcon::Question:
        return QMessageBox::Question;
    case BoxIcon::Critical:
        return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

// A box that comes up in the middle of a long command wants an answer: it gets the
// arrow, not the busy pointer that covers the rest of the program meanwhile.
class ArrowWhileAsking {
public:
    ArrowWhileAsking() : pushed_(QGuiApplication::overrideCursor() != nullptr) {
        if (pushed_)
            QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~ArrowWhileAsking() {
        if (pushed_)
            QGuiApplication::restoreOverrideCursor();
    }
    ArrowWhileAsking(const ArrowWhileAsking&) = delete;
    ArrowWhileAsking& operator=(const ArrowWhileAsking&) = delete;

private:
    bool pushed_;
};

} // namespace

QString BoxText(const QString& text, const QWidget& box) {
    return WrapBetweenWords(DisplayLineBreaks(text), box.fontMetrics(),
                            MessageLineWidth(box.screen()));
}

QString DisplayLineBreaks(const QString& text) {
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

BoxAnswer QtPrompts::messageBox(const QString& title, const QString& text, BoxIcon icon,
                                BoxButtons buttons) {
    const ArrowWhileAsking arrow;
    QMessageBox box(ToQtIcon(icon), title, QString(), QMessageBox::NoButton, parent_);
    box.setTextFormat(Qt::PlainText);
    box.setText(BoxText(text, box));
    if (buttons == BoxButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    MakeRoomForTitle(box);
    const int chosen = box.exec();
    if (buttons == BoxButtons::Ok)
        return BoxAnswer::Ok;
    return chosen == QMessageBox::Yes ? BoxAnswer::Yes : BoxAnswer::No;
}

std::optional<QString> QtPrompts::inputBox(const QString& title, const QString& prompt,
                                           const QString& defaultText) {
    const ArrowWhileAsking arrow;
    bool accepted = false;
    QString answer = QInputDialog::getText(parent_, title, DisplayLineBreaks(prompt),
                                           QLineEdit::Normal, defaultText, &accepted);
    if (!accepted)
        return std::nullopt;
    return answer;
}

// The dialog's URLs are read here rather than as Qt's file names: a dialog of the desktop
// hands a name that is no UTF-8 over as %E9 in its URL, which Qt's reading would turn into
// U+FFFD. Qt's own dialog has already lost such a byte in its listing.
QStringList QtPrompts::openFiles(const QString& title, const QString& filter, bool multiSelect) {
    const ArrowWhileAsking arrow;
    const QStringList localFiles{QStringLiteral("file")};
    QList<QUrl> urls;
    if (multiSelect) {
        urls =
            QFileDialog::getOpenFileUrls(parent_, title, QUrl(), filter, nullptr, {}, localFiles);
    } else {
        urls.append(
            QFileDialog::getOpenFileUrl(parent_, title, QUrl(), filter, nullptr, {}, localFiles));
    }
    QStringList chosen;
    for (const QUrl& url : std::as_const(urls)) {
        if (const QString path = LocalPathOfUrl(url); !path.isEmpty())
            chosen.append(QDir::toNativeSeparators(path));
    }
    return chosen;
}

QString QtPrompts::existingDirectory(const QString& title, const QString& startFolder) {
    const ArrowWhileAsking arrow;
    return QDir::toNativeSeparators(QFileDialog::getExistingDirectory(parent_, title, startFolder));
}

void QtPrompts::clearClipboard() {
    QGuiApplication::clipboard()->clear();
}

void QtPrompts::setClipboardText(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
}

bool QtPrompts::openUrl(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

} // namespace tabrivel
