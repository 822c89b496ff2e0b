#pragma once

#include <QString>

namespace tabrivel {

// The caption of every box that names no title of its own: the product name with its
// last word dropped, and further words while it is longer than 40 characters. A name
// without a blank to cut at, or one whose cut would leave nothing, stands whole: a box
// must never go without a caption.
QString DeriveApplicationTitle(const QString& productName);

} // namespace tabrivel
