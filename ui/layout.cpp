#include "ui/layout.h"

#include <algorithm>

namespace {
constexpr int kHalfTextLine = 6;
}  // namespace

void FlowLayout::MoveTo(int x, int y) {
  x_ = x;
  nextY_ = y;
}

RECT FlowLayout::Place(int x, int y, int width, int height) {
  last_ = RECT{x, y, x + width, y + height};
  for (Frame& frame : frames_) {
    frame.rect.right = std::max(frame.rect.right, last_.right);
    frame.rect.bottom = std::max(frame.rect.bottom, last_.bottom);
  }
  nextY_ = std::max(nextY_, static_cast<int>(last_.bottom));
  return last_;
}

RECT FlowLayout::Below(int width, int height, int indent) { return Place(x_ + indent, nextY_, width, height); }

RECT FlowLayout::Right(int width, int height, int gap) { return RightOf(last_, width, height, gap); }

RECT FlowLayout::RightOf(const RECT& anchor, int width, int height, int gap) {
  int middle = (anchor.top + anchor.bottom) / 2;
  return Place(anchor.right + gap, middle - height / 2, width, height);
}

void FlowLayout::OpenFrame(bool titled) {
  frames_.push_back(Frame{RECT{x_, nextY_, x_, nextY_}, x_});
  x_ += spacing_.frameSide;
  nextY_ += titled ? spacing_.titledTop : spacing_.untitledTop;
}

RECT FlowLayout::OpenHeadedFrame(int width, int height) {
  // A frame's line runs half a text line below its top, whether it has a title
  // or not: put that line through the middle of the box.
  int top = nextY_ + height / 2 - kHalfTextLine;
  frames_.push_back(Frame{RECT{x_, top, x_, top}, x_});
  RECT head = Place(x_ + spacing_.headIndent, nextY_, width, height);
  x_ += spacing_.frameSide;
  return head;
}

RECT FlowLayout::CloseFrame() {
  Frame frame = frames_.back();
  frames_.pop_back();
  RECT rect = frame.rect;
  rect.right += spacing_.frameSide;
  rect.bottom += spacing_.frameBottom;
  x_ = frame.outerX;
  // The frame itself belongs to the frames around it.
  Place(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
  last_ = rect;
  nextY_ = rect.bottom + spacing_.frameGap;
  return rect;
}
