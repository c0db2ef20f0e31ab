#include "ui/window.h"

#include <algorithm>
#include <unordered_map>

#include "platform/diagnostics.h"
#include "platform/os_error.h"
#include "platform/win32/wide.h"
#include "settings/options.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace {

// The lookup from a window handle to its object.
std::unordered_map<HWND, Window*>& Objects() {
  static std::unordered_map<HWND, Window*> objects;
  return objects;
}

std::vector<Window*>& TopLevels() {
  static std::vector<Window*> windows;
  return windows;
}

std::string PlacementSection(const std::string& name) { return "WindowSize_" + name; }

// A rectangle given at 96 DPI at `dpi`: each edge scaled, so that controls that
// touch at 96 DPI still touch.
RECT ScaledRect(const RECT& logical, UINT dpi) {
  return RECT{ScaleToDpi(logical.left, dpi), ScaleToDpi(logical.top, dpi), ScaleToDpi(logical.right, dpi),
              ScaleToDpi(logical.bottom, dpi)};
}

}  // namespace

std::string WindowTextOf(HWND handle) {
  int length = GetWindowTextLengthW(handle);
  if (length <= 0) return std::string();
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  int copied = GetWindowTextW(handle, text.data(), length + 1);
  if (copied <= 0) {
    ReportOsFailure("GetWindowText に失敗");
    return std::string();
  }
  text.resize(static_cast<size_t>(copied));
  return WideToShiftJis(text);
}

Window::~Window() {
  if (!hwnd_) return;
  HWND handle = hwnd_;
  // No handler of this half-destroyed object may run from here on.
  SetWindowLongPtrW(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
  SetWindowLongPtrW(handle, GWLP_USERDATA, 0);
  bool topLevel = topLevel_;
  Detached();
  if (topLevel) DestroyWindow(handle);
}

Window* Window::FromHandle(HWND handle) {
  auto found = Objects().find(handle);
  return found == Objects().end() ? nullptr : found->second;
}

int Window::TopLevelCount() { return static_cast<int>(TopLevels().size()); }

void Window::CloseAllBut(const Window* keep) {
  std::vector<Window*> windows = TopLevels();
  for (Window* window : windows) {
    auto& live = TopLevels();
    if (window != keep && std::find(live.begin(), live.end(), window) != live.end())
      SendMessageW(window->hwnd_, WM_CLOSE, 0, 0);
  }
}

bool Window::Create(const WindowArgs& args) {
  if (hwnd_) {
    ReportError("既にウィンドウは作成されています");
    return true;
  }
  if (args.width < 0 || args.height < 0) {
    ReportError("ウィンドウサイズの指定が不正です");
    return false;
  }
  parent_ = args.parent;
  id_ = args.id;
  topLevel_ = (args.style & WS_CHILD) == 0;
  modal_ = args.modal;
  savePlacement_ = args.savePlacement;
  fixedSize_ = args.fixedSize;
  clientSize_ = args.clientSize;
  placementName_ = args.placementName.empty() ? args.title : args.placementName;
  if (topLevel_ && !AcquireWindowClass(class_, args.className, args.classStyle)) return false;

  style_ = args.style;
  exStyle_ = args.exStyle;
  int x = args.x, y = args.y, width = args.width, height = args.height;
  bool placed = false;
  if (topLevel_) {
    dpi_ = SystemDpi();
    if (savePlacement_) placed = RestorePlacement(x, y, width, height);
    logical_ = RECT{0, 0, width, height};
    SIZE frame = FrameSize(width, height);
    width = frame.cx;
    height = frame.cy;
    if (args.centre && !placed) Centre(x, y, width, height);
  } else {
    logical_ = RECT{x, y, x + width, y + height};
    RECT scaled = ScaledRect(logical_, Dpi());
    x = scaled.left;
    y = scaled.top;
    width = scaled.right - scaled.left;
    height = scaled.bottom - scaled.top;
  }
  HWND parent = parent_ ? parent_->hwnd_ : nullptr;
  HMENU menu = topLevel_ ? nullptr : reinterpret_cast<HMENU>(static_cast<INT_PTR>(args.id));
  HWND handle = CreateWindowExW(args.exStyle, ShiftJisToWide(args.className).c_str(),
                                ShiftJisToWide(args.title).c_str(), args.style & ~WS_VISIBLE, x, y, width,
                                height, parent, menu, GetModuleHandleW(nullptr), this);
  if (!handle) {
    ReportOsFailure("::CreateWindowEx() に失敗");
    return false;
  }
  if (!Attach(handle)) return false;
  // A window that opened on a screen of another DPI than the primary one.
  if (topLevel_) {
    dpi_ = DpiOfWindow(hwnd_);
    FitFrame();
  }
  if (!topLevel_ && AcquireControlFont(font_, Dpi()))
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_->font.Handle()), FALSE);
  if (!OnCreate()) return false;
  if (modal_ && parent) EnableWindow(parent, FALSE);
  if (args.show || (!topLevel_ && (args.style & WS_VISIBLE))) ShowNow(SW_SHOW);
  return true;
}

bool Window::Attach(HWND handle) {
  hwnd_ = handle;
  Objects()[handle] = this;
  if (topLevel_) TopLevels().push_back(this);
  SetLastError(0);
  SetWindowLongPtrW(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  bool failed = GetLastError() != 0;
  auto previous = SetWindowLongPtrW(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Window::Procedure));
  if (failed || previous == 0) {
    ReportOsFailure("SetWindowLongPtr に失敗");
    return false;
  }
  previous_ = reinterpret_cast<WNDPROC>(previous);
  return true;
}

void Window::Detached() {
  Objects().erase(hwnd_);
  auto& windows = TopLevels();
  windows.erase(std::remove(windows.begin(), windows.end(), this), windows.end());
  hwnd_ = nullptr;
}

void Window::ShowNow(int showCode) {
  ShowWindow(hwnd_, showCode);
  Redraw();
}

void Window::Destroy() {
  if (!hwnd_) return;
  if (savePlacement_) SavePlacement();
  ShowWindow(hwnd_, SW_HIDE);
  if (modal_ && parent_ && parent_->hwnd_) EnableWindow(parent_->hwnd_, TRUE);
  if (!DestroyWindow(hwnd_)) ReportOsFailure("DestoryWindow に失敗");
  class_.Reset();
}

void Window::Close() {
  if (hwnd_ && !PostMessageW(hwnd_, WM_CLOSE, 0, 0)) ReportOsFailure("PostMessage に失敗");
}

UINT Window::Dpi() const {
  if (topLevel_) return dpi_;
  return parent_ ? parent_->Dpi() : SystemDpi();
}

int Window::Scaled(int value) const { return ScaleToDpi(value, Dpi()); }

SIZE Window::FrameSize(int width, int height) const {
  RECT frame{0, 0, ScaleToDpi(width, dpi_), ScaleToDpi(height, dpi_)};
  if (clientSize_) AdjustFrameForDpi(frame, style_, exStyle_, dpi_);
  return SIZE{frame.right - frame.left, frame.bottom - frame.top};
}

void Window::SetLogicalBounds(const RECT& bounds) {
  logical_ = bounds;
  if (!hwnd_ || topLevel_) return;
  RECT scaled = ScaledRect(bounds, Dpi());
  SetWindowPos(hwnd_, nullptr, scaled.left, scaled.top, scaled.right - scaled.left, scaled.bottom - scaled.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void Window::SetLogicalClientSize(int width, int height) {
  if (!hwnd_ || !topLevel_) return;
  logical_ = RECT{0, 0, width, height};
  FitFrame();
}

void Window::FitFrame() {
  SIZE frame = FrameSize(logical_.right, logical_.bottom);
  SetWindowPos(hwnd_, nullptr, 0, 0, frame.cx, frame.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (!clientSize_) return;
  // The frame the system draws may differ from the one it computes (a
  // caption of another DPI): the client area decides.
  RECT client{};
  GetClientRect(hwnd_, &client);
  LONG dx = ScaleToDpi(logical_.right, dpi_) - client.right, dy = ScaleToDpi(logical_.bottom, dpi_) - client.bottom;
  if (dx != 0 || dy != 0)
    SetWindowPos(hwnd_, nullptr, 0, 0, frame.cx + dx, frame.cy + dy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Window::ChangeDpi(UINT dpi, const RECT& suggested) {
  dpi_ = dpi;
  SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  FitFrame();
  EnumChildWindows(
      hwnd_,
      [](HWND child, LPARAM) -> BOOL {
        if (Window* control = FromHandle(child)) control->ApplyDpi();
        return TRUE;
      },
      0);
  OnDpiChanged();
  Redraw();
}

void Window::ApplyDpi() {
  RECT scaled = ScaledRect(logical_, Dpi());
  SetWindowPos(hwnd_, nullptr, scaled.left, scaled.top, scaled.right - scaled.left, scaled.bottom - scaled.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  if (AcquireControlFont(font_, Dpi()))
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_->font.Handle()), TRUE);
  OnDpiChanged();
}

bool Window::RestorePlacement(int& x, int& y, int& width, int& height) const {
  if (!HasOptions()) return false;
  std::string section = PlacementSection(placementName_);
  if (!fixedSize_) {
    int w = Options().RawInt(section, "w", -1), h = Options().RawInt(section, "h", -1);
    if (w > 0) width = w;
    if (h > 0) height = h;
  }
  int savedX = Options().RawInt(section, "x", -1), savedY = Options().RawInt(section, "y", -1);
  if (savedX >= 0) x = savedX;
  if (savedY >= 0) y = savedY;
  return savedX >= 0 || savedY >= 0;
}

void Window::SavePlacement() const {
  if (!HasOptions()) return;
  std::string section = PlacementSection(placementName_);
  RECT bounds{};
  GetWindowRect(hwnd_, &bounds);
  Options().SetRaw(section, "x", std::to_string(bounds.left));
  Options().SetRaw(section, "y", std::to_string(bounds.top));
  if (fixedSize_) return;
  RECT size = bounds;
  if (clientSize_) GetClientRect(hwnd_, &size);
  // Sizes are kept at 96 DPI, like the sizes the program gives.
  auto logical = [&](LONG pixels) { return std::to_string(MulDiv(pixels, static_cast<int>(kBaseDpi), static_cast<int>(dpi_))); };
  Options().SetRaw(section, "w", logical(size.right - size.left));
  Options().SetRaw(section, "h", logical(size.bottom - size.top));
}

void Window::Centre(int& x, int& y, int width, int height) const {
  RECT area{};
  if (parent_ && parent_->hwnd_) {
    GetWindowRect(parent_->hwnd_, &area);
  } else {
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  }
  x = std::max(0, static_cast<int>(area.left + (area.right - area.left - width) / 2));
  y = std::max(0, static_cast<int>(area.top + (area.bottom - area.top - height) / 2));
}

bool Window::SetText(std::string_view text) {
  if (hwnd_ && SetWindowTextW(hwnd_, ShiftJisToWide(text).c_str())) return true;
  ReportOsFailure("SetWindowText に失敗");
  return false;
}

std::string Window::GetText() const { return hwnd_ ? WindowTextOf(hwnd_) : std::string(); }

void Window::Enable(bool on) {
  if (hwnd_) EnableWindow(hwnd_, on ? TRUE : FALSE);
}

bool Window::IsEnabled() const { return hwnd_ && IsWindowEnabled(hwnd_); }

RECT Window::Bounds() const {
  RECT bounds{};
  if (!hwnd_) return bounds;
  GetWindowRect(hwnd_, &bounds);
  if (!topLevel_ && parent_ && parent_->hwnd_)
    MapWindowPoints(HWND_DESKTOP, parent_->hwnd_, reinterpret_cast<POINT*>(&bounds), 2);
  return bounds;
}

void Window::Redraw() {
  if (!hwnd_) return;
  if (!InvalidateRect(hwnd_, nullptr, TRUE)) ReportOsFailure("InvalidateRect に失敗");
  if (!UpdateWindow(hwnd_)) ReportOsFailure("UpdateWindow に失敗");
}

LRESULT Window::CallPrevious(UINT message, WPARAM wParam, LPARAM lParam) {
  return CallWindowProcW(previous_, hwnd_, message, wParam, lParam);
}

LRESULT Window::ControlColour(HDC dc, HWND control) {
  Window* object = FromHandle(control);
  COLORREF colour = 0;
  if (!object || !object->TextColour(colour) || !AcquireButtonFaceBrush(brush_))
    return CallPrevious(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
  DeviceContext context(dc);
  context.SetTextColour(colour);
  context.SetBackgroundColour(GetSysColor(COLOR_BTNFACE));
  return reinterpret_cast<LRESULT>(brush_->Handle());
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (Window* control = lParam ? FromHandle(reinterpret_cast<HWND>(lParam)) : nullptr) {
        control->OnNotification(HIWORD(wParam));
        return 0;
      }
      break;
    case WM_CTLCOLORSTATIC:
      return ControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_DPICHANGED:
      if (!topLevel_) break;
      ChangeDpi(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    default:
      break;
  }
  return CallPrevious(message, wParam, lParam);
}

LRESULT CALLBACK Window::Procedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* window = FromHandle(handle);
  if (!window) return DefWindowProcW(handle, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    LRESULT result = window->CallPrevious(message, wParam, lParam);
    window->Detached();
    return result;
  }
  return window->HandleMessage(message, wParam, lParam);
}

bool DialogWindow::Create(const WindowArgs& args) {
  WindowArgs dialog = args;
  // No WS_CLIPCHILDREN: group frames leave their inside to the window's background.
  dialog.style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  dialog.exStyle = args.exStyle | WS_EX_DLGMODALFRAME;
  if (!Window::Create(dialog)) return false;
  TrimSystemMenu();
  return true;
}

bool DialogWindow::PreTranslateMessage(MSG& message) {
  HWND self = Handle();
  if (!self || (message.hwnd != self && !IsChild(self, message.hwnd))) return false;
  return IsDialogMessageW(self, &message) != FALSE;
}

// Leaves Move and Close: the window can neither be resized, minimised nor maximised.
void DialogWindow::TrimSystemMenu() {
  HMENU menu = GetSystemMenu(Handle(), FALSE);
  if (!menu) return;
  for (int position : {5, 4, 3, 2, 0}) {
    if (!DeleteMenu(menu, static_cast<UINT>(position), MF_BYPOSITION)) ReportOsFailure("DeleteMenu に失敗");
  }
  if (!DrawMenuBar(Handle())) ReportOsFailure("DrawMenuBar に失敗");
}

LRESULT DialogWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == DM_GETDEFID && defaultId_ != 0) return MAKELRESULT(defaultId_, DC_HASDEFID);
  return Window::HandleMessage(message, wParam, lParam);
}
