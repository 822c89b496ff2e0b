#pragma once

class QHeaderView;

namespace tabrivel {

// How far either side of a column divider the mouse takes hold of it, in pixels.
constexpr int kDividerReach = 4;

// The lists' tool tips tell users to drag the | line of their header. Qt's header
// answers only over the last few pixels inside a column and not at all beyond the
// last one, so the line slips away from a pointer one pixel off. This makes the
// divider of each resizable column answer within kDividerReach pixels either side of
// it, for the resize pointer, a drag and a double-click alike. Horizontal
// left-to-right headers only; others are left as they are.
void WidenDividerGrip(QHeaderView& header);

} // namespace tabrivel
