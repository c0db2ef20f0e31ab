// Window objects: one object per top-level window or control, one window
// procedure for all of them that finds the object of a handle and calls its
// handlers. Texts are Shift_JIS inside the program and go through the W
// functions with code page 932, so Japanese shows whatever the system's locale.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/dpi.h"
#include "ui/resources.h"

class Window;

// Construction arguments of a window or control. Positions and sizes are in
// pixels at 96 DPI; the window scales them to the DPI of its screen.
struct WindowArgs {
  std::string title;                   // Shift_JIS
  std::string className = kStdClassName;  // a class of the framework, or a system class ("button", ...)
  UINT classStyle = 0;                 // class style when the framework registers the class
  DWORD style = WS_OVERLAPPEDWINDOW;
  DWORD exStyle = 0;
  int x = 0, y = 0, width = 0, height = 0;  // in the parent's client area for controls (a top-level
                                            // window's position is the screen's, unscaled)
  Window* parent = nullptr;            // the owner of a top-level window, the parent of a control
  int id = 0;                          // control id, or the framework id of a top-level window
  // Placement kept in the option file section "WindowSize_" + name (the title
  // when empty); only when savePlacement.
  std::string placementName;
  bool savePlacement = false;
  bool clientSize = false;  // width and height are those of the client area
  bool fixedSize = false;   // the size is never restored or saved, only the position
  bool centre = false;      // centred over the owner (or the screen) unless a position was saved
  bool modal = false;       // the owner is disabled while this window exists
  bool show = false;
};

class Window {
 public:
  Window() = default;
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  // Creates the window and calls OnCreate. Creating twice reports "既にウィンドウは
  // 作成されています" and succeeds; a negative size reports "ウィンドウサイズの指定が
  // 不正です" and fails; a failed OnCreate fails.
  virtual bool Create(const WindowArgs& args);
  // Saves the placement, hides and destroys the window (and its controls). The
  // owner of a modal window is enabled again first.
  void Destroy();
  // Asks the window to close as its close box does; OnClose decides. Posted, so it
  // is safe from the window's own handlers.
  void Close();

  HWND Handle() const { return hwnd_; }
  bool Exists() const { return hwnd_ != nullptr; }
  int Id() const { return id_; }
  Window* Parent() const { return parent_; }

  bool SetText(std::string_view text);  // "SetWindowText に失敗"
  std::string GetText() const;          // "GetWindowText に失敗" gives ""
  void Enable(bool on);
  bool IsEnabled() const;
  // Position and size in the parent's client area (controls) or on the screen,
  // in pixels of the screen.
  RECT Bounds() const;
  // A control's position and size as it was given (pixels at 96 DPI).
  RECT LogicalBounds() const { return logical_; }
  // Moves a control to `bounds` given at 96 DPI.
  void SetLogicalBounds(const RECT& bounds);
  // Resizes a top-level window to a client area given at 96 DPI.
  void SetLogicalClientSize(int width, int height);
  // The DPI the window is laid out for: a top-level window's own (its screen's),
  // a control's window's.
  UINT Dpi() const;
  // `value`, in pixels at 96 DPI, in pixels of this window.
  int Scaled(int value) const;
  // Invalidates and updates at once ("InvalidateRect に失敗", "UpdateWindow に失敗").
  void Redraw();

  // Sees a message of this window or of a window inside it before it is
  // translated and dispatched (the loop offers it to the window it is for, then
  // to each window around that one); true when the window handled it, and it
  // then goes no further. The default handles nothing.
  virtual bool PreTranslateMessage(MSG& /*message*/) { return false; }

  // The object of a window handle, or null.
  static Window* FromHandle(HWND handle);
  // How many top-level windows exist (the message loop runs while there is one).
  static int TopLevelCount();
  // Asks every top-level window except `keep` to close.
  static void CloseAllBut(const Window* keep);

 protected:
  // After the window exists, before it is shown: create the controls. False
  // fails Create.
  virtual bool OnCreate() { return true; }
  // The close box or Close(): by default the window is destroyed.
  virtual void OnClose() { Destroy(); }
  // A WM_COMMAND notification code sent to this control by the system.
  virtual void OnNotification(int /*code*/) {}
  // The window (or the window of this control) moved to a screen of another
  // DPI; the framework has placed the controls and given them their font.
  virtual void OnDpiChanged() {}
  // The text colour of a static control drawn by the system; false for the default.
  virtual bool TextColour(COLORREF& /*colour*/) const { return false; }
  // Every message of the window. The default handles the framework's messages and
  // passes the rest to the window's previous procedure.
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT CallPrevious(UINT message, WPARAM wParam, LPARAM lParam);

  // Takes ownership of a control object (created or not), returning it.
  template <class T>
  T& Own(std::unique_ptr<T> control) {
    T& result = *control;
    owned_.push_back(std::move(control));
    return result;
  }

 private:
  static LRESULT CALLBACK Procedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);
  bool Attach(HWND handle);
  // Reads the saved size and position; true when a position was saved.
  bool RestorePlacement(int& x, int& y, int& width, int& height) const;
  void SavePlacement() const;
  void Centre(int& x, int& y, int width, int height) const;
  void ShowNow(int showCode);
  LRESULT ControlColour(HDC dc, HWND control);
  void Detached();
  // A top-level window's frame around its logical client size at its DPI.
  SIZE FrameSize(int width, int height) const;
  // Sizes a top-level window for its logical size at its DPI.
  void FitFrame();
  // A top-level window moved to another DPI (WM_DPICHANGED): its size becomes
  // `suggested` and every control is placed and given its font again.
  void ChangeDpi(UINT dpi, const RECT& suggested);
  // A control placed and given its font for its window's current DPI.
  void ApplyDpi();

  HWND hwnd_ = nullptr;
  WNDPROC previous_ = DefWindowProcW;
  Window* parent_ = nullptr;
  int id_ = 0;
  bool topLevel_ = false;
  bool modal_ = false;
  bool savePlacement_ = false;
  bool fixedSize_ = false;
  bool clientSize_ = false;
  RECT logical_{};      // a control's place at 96 DPI; a top-level window's size in right and bottom
  UINT dpi_ = 96;       // a top-level window's DPI
  DWORD style_ = 0, exStyle_ = 0;
  std::string placementName_;
  SharedRef<WindowClass> class_;
  SharedRef<SharedFont> font_;
  SharedRef<SharedBrush> brush_;
  std::vector<std::unique_ptr<Window>> owned_;
};

// A dialog-style top-level window: caption, system menu holding only Move and
// Close, a modal frame, the button-face background, and keyboard navigation
// between its controls (Tab, Enter for the default button, Escape for id 2).
class DialogWindow : public Window {
 public:
  // Creates with the dialog styles added to `args`.
  bool Create(const WindowArgs& args) override;
  // The id of the default button (Enter), 0 for none.
  void SetDefaultId(int id) { defaultId_ = id; }
  // The keyboard navigation of a dialog (IsDialogMessage) for the messages of
  // this window and its controls.
  bool PreTranslateMessage(MSG& message) override;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void TrimSystemMenu();
  int defaultId_ = 0;
};

// Shift_JIS text of any window handle, through the W function.
std::string WindowTextOf(HWND handle);
