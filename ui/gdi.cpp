#include "ui/gdi.h"

#include <algorithm>

#include "platform/diagnostics.h"
#include "platform/os_error.h"
#include "platform/win32/wide.h"

GdiObject::~GdiObject() {
  if (handle_ && !DeleteObject(handle_)) ReportOsFailure("DeleteObject に失敗");
}

HGDIOBJ GdiObject::Handle() {
  if (!handle_) handle_ = Make();
  return handle_;
}

HGDIOBJ Pen::Make() {
  HPEN pen = CreatePen(style_, width_, colour_);
  if (!pen) ReportOsFailure("ペンの作成に失敗");
  return pen;
}

HGDIOBJ Font::Make() {
  LOGFONTW font{};
  font.lfHeight = height_;
  font.lfWeight = FW_NORMAL;
  font.lfUnderline = underline_ ? TRUE : FALSE;
  // The Shift_JIS character set makes the font mapper pick a face with Japanese
  // glyphs even when the named face is missing (Wine, non-Japanese systems).
  font.lfCharSet = SHIFTJIS_CHARSET;
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = DEFAULT_QUALITY;
  font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  std::wstring face = ShiftJisToWide(face_);
  face.resize(std::min<size_t>(face.size(), LF_FACESIZE - 1));
  std::copy(face.begin(), face.end(), font.lfFaceName);
  HFONT handle = CreateFontIndirectW(&font);
  if (!handle) ReportOsFailure("フォントの作成に失敗");
  return handle;
}

DeviceContext::~DeviceContext() { UnwindAll(); }

void DeviceContext::UnwindAll() {
  for (int kind = 0; kind < GdiObject::kKindCount; ++kind) {
    while (!stacks_[kind].empty()) Pop(static_cast<GdiObject::Kind>(kind));
  }
}

void DeviceContext::Pop(GdiObject::Kind kind) {
  Selection top = stacks_[kind].back();
  stacks_[kind].pop_back();
  if (dc_ && !SelectObject(dc_, top.displaced)) ReportOsFailure("SelectObject に失敗");
}

bool DeviceContext::Select(GdiObject& object) {
  std::vector<Selection>& stack = stacks_[object.ObjectKind()];
  if (!stack.empty() && stack.back().object == &object) return true;
  HGDIOBJ handle = object.Handle();
  if (!handle) return false;
  HGDIOBJ displaced = dc_ ? SelectObject(dc_, handle) : nullptr;
  if (!displaced || displaced == HGDI_ERROR) {
    ReportOsFailure("SelectObject に失敗");
    return false;
  }
  stack.push_back({&object, displaced});
  return true;
}

bool DeviceContext::Unselect(GdiObject& object) {
  GdiObject::Kind kind = object.ObjectKind();
  std::vector<Selection>& stack = stacks_[kind];
  auto found = std::find_if(stack.begin(), stack.end(), [&](const Selection& s) { return s.object == &object; });
  if (found == stack.end()) {
    ReportError("Select されていないと思われる GDIObject を Unselect しようとしました");
    return false;
  }
  bool inOrder = found + 1 == stack.end();
  size_t keep = static_cast<size_t>(found - stack.begin());
  while (stack.size() > keep) Pop(kind);
  if (!inOrder) {
    ReportError("GDI オブジェクトの Unselect 順が一致しません");
    return false;
  }
  return true;
}

bool DeviceContext::SetTextColour(COLORREF colour) {
  if (SetTextColor(dc_, colour) != CLR_INVALID) return true;
  ReportOsFailure("SetTextColor に失敗");
  return false;
}

bool DeviceContext::SetBackgroundMode(int mode) {
  if (SetBkMode(dc_, mode) != 0) return true;
  ReportOsFailure("SetBkMode に失敗");
  return false;
}

bool DeviceContext::SetBackgroundColour(COLORREF colour) {
  if (SetBkColor(dc_, colour) != CLR_INVALID) return true;
  ReportOsFailure("SetBkColor に失敗");
  return false;
}

PaintContext::PaintContext(HWND window) : DeviceContext(nullptr), window_(window) {
  HDC dc = BeginPaint(window, &paint_);
  if (!dc) ReportOsFailure("BeginPaint() に失敗");
  Attach(dc);
}

PaintContext::~PaintContext() {
  UnwindAll();
  if (Handle()) EndPaint(window_, &paint_);
}
