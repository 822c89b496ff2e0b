#pragma once

#include <QString>

class QFont;
class QMessageBox;

namespace tabrivel {

// The width a window manager's title bar takes to show this title whole: the title in
// bold, as most desktops write titles, beside the bar's icon and up to three buttons.
int TitleBarWidth(const QString& title, const QFont& font);

// Keeps the box at least as wide as its title bar needs. Qt sizes a box by its text and
// buttons alone, so a short message ("Done.") came up narrower than its own title,
// which the window manager then cut to a few letters. Call it once the box has its
// icon, text and buttons; wider boxes are left as they are.
void MakeRoomForTitle(QMessageBox& box);

} // namespace tabrivel
