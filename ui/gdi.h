// GDI objects that create their handles on first use, and device contexts that
// keep the objects selected into them on one stack per kind, so that every
// selection is undone in order and the context ends with what it started with.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// A pen, brush or font. The handle is made by the first Handle() call and
// deleted with the object.
class GdiObject {
 public:
  enum Kind { kPen, kBrush, kFont, kKindCount };

  explicit GdiObject(Kind kind) : kind_(kind) {}
  virtual ~GdiObject();
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;

  Kind ObjectKind() const { return kind_; }
  // The handle, made now if needed; null after the failure was reported.
  HGDIOBJ Handle();

 protected:
  // Makes the handle; reports its own failure and returns null.
  virtual HGDIOBJ Make() = 0;

 private:
  Kind kind_;
  HGDIOBJ handle_ = nullptr;
};

// CreatePen; "ペンの作成に失敗" when it fails.
class Pen : public GdiObject {
 public:
  Pen(int style, int width, COLORREF colour) : GdiObject(kPen), style_(style), width_(width), colour_(colour) {}

 protected:
  HGDIOBJ Make() override;

 private:
  int style_, width_;
  COLORREF colour_;
};

// A font by face name (Shift_JIS) and cell height, with the Shift_JIS character
// set so that Japanese glyphs are found whatever the system's locale;
// "フォントの作成に失敗" when it fails.
class Font : public GdiObject {
 public:
  Font(const char* face, int height, bool underline = false)
      : GdiObject(kFont), face_(face), height_(height), underline_(underline) {}

 protected:
  HGDIOBJ Make() override;

 private:
  std::string face_;
  int height_;
  bool underline_;
};

// A device context borrowed for a while: Select and Unselect keep, per kind of
// object, a stack of what was selected and what each selection displaced. The
// destructor unwinds whatever is still selected.
class DeviceContext {
 public:
  explicit DeviceContext(HDC dc) : dc_(dc) {}
  virtual ~DeviceContext();
  DeviceContext(const DeviceContext&) = delete;
  DeviceContext& operator=(const DeviceContext&) = delete;

  HDC Handle() const { return dc_; }

  // Selects `object` unless it is already on top of its stack ("SelectObject に失敗").
  bool Select(GdiObject& object);
  // Unselects `object`, putting back what it displaced. An object lower in the
  // stack unwinds everything above it first and reports "GDI オブジェクトの
  // Unselect 順が一致しません"; an object not in the stack reports
  // "Select されていないと思われる GDIObject を Unselect しようとしました".
  bool Unselect(GdiObject& object);
  // How many objects of a kind are selected.
  size_t Depth(GdiObject::Kind kind) const { return stacks_[kind].size(); }

  bool SetTextColour(COLORREF colour);      // "SetTextColor に失敗"
  bool SetBackgroundMode(int mode);         // "SetBkMode に失敗"
  bool SetBackgroundColour(COLORREF colour);  // "SetBkColor に失敗"

 protected:
  void UnwindAll();
  void Attach(HDC dc) { dc_ = dc; }

 private:
  struct Selection {
    GdiObject* object;
    HGDIOBJ displaced;
  };
  void Pop(GdiObject::Kind kind);

  HDC dc_;
  std::vector<Selection> stacks_[GdiObject::kKindCount];
};

// BeginPaint and EndPaint around a DeviceContext ("BeginPaint() に失敗").
class PaintContext : public DeviceContext {
 public:
  explicit PaintContext(HWND window);
  ~PaintContext() override;
  bool Valid() const { return Handle() != nullptr; }
  const RECT& PaintRect() const { return paint_.rcPaint; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
};
