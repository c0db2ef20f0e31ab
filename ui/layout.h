// Flow layout: controls follow each other downward, or to the right on the same
// line, from a starting point; group frames are opened before their contents and
// closed after them, and a closed frame is the rectangle around what it holds.
#pragma once

#include <windows.h>

#include <vector>

class FlowLayout {
 public:
  struct Spacing {
    int frameSide = 5;      // inner margin left and right of a frame
    int titledTop = 16;     // from a titled frame's top to its first line
    int untitledTop = 9;    // the same for a frame without a title
    int frameBottom = 6;    // below the last line inside a frame
    int frameGap = 4;       // between a frame and what follows it
    int headIndent = 8;     // a check box heading a frame, from the frame's left
  };

  FlowLayout() = default;
  explicit FlowLayout(Spacing spacing) : spacing_(spacing) {}

  // Starts a new column: the next line begins at (x, y).
  void MoveTo(int x, int y);
  // The next line, at the column's left plus `indent`.
  RECT Below(int width, int height, int indent = 0);
  // On the line of the last placed control, `gap` pixels right of it, centred
  // on that control vertically.
  RECT Right(int width, int height, int gap);
  // The same beside any placed rectangle.
  RECT RightOf(const RECT& anchor, int width, int height, int gap);

  // Opens a frame at the next line; its contents are indented.
  void OpenFrame(bool titled);
  // Opens a frame headed by a check box of the given size; returns the box's
  // rectangle, which sits on the frame's top line.
  RECT OpenHeadedFrame(int width, int height);
  // Closes the innermost frame: its rectangle around everything placed in it.
  // The next line starts below it.
  RECT CloseFrame();

  // The last placed rectangle.
  const RECT& Last() const { return last_; }

 private:
  struct Frame {
    RECT rect;     // left and top as opened; right and bottom grow with the contents
    int outerX;    // the column's left outside the frame
  };
  RECT Place(int x, int y, int width, int height);

  Spacing spacing_;
  int x_ = 0;         // left of the current column (inside the innermost frame)
  int nextY_ = 0;     // top of the next line
  RECT last_{};
  std::vector<Frame> frames_;
};
