// The windows at the screen's DPI (the test runs at 96 and at 144 DPI, set
// through Wine's LogPixels): sizes and fonts scaled, and every text measured in
// its control's own font against the room the control gives it.
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/dialogs.h"
#include "app/gui_testing.h"
#include "ui/dpi.h"

namespace {

using K = OptionKey;

// The DPI the test was started for.
UINT ExpectedDpi() {
  const char* dpi = std::getenv("VELKORA_DPI");
  return dpi ? static_cast<UINT>(std::atoi(dpi)) : kBaseDpi;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

LONG Width(const RECT& r) { return r.right - r.left; }
LONG Height(const RECT& r) { return r.bottom - r.top; }

// Measures texts in a control's own font.
class TextMeter {
 public:
  explicit TextMeter(HWND control) : control_(control), dc_(GetDC(control)) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    previous_ = SelectObject(dc_, font ? font : GetStockObject(SYSTEM_FONT));
    GetTextMetricsW(dc_, &metrics_);
  }
  ~TextMeter() {
    SelectObject(dc_, previous_);
    ReleaseDC(control_, dc_);
  }
  LONG LineWidth(const std::wstring& text) const {
    SIZE size{};
    GetTextExtentPoint32W(dc_, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
  }
  LONG LineHeight() const { return metrics_.tmHeight; }
  // The height of the text wrapped at `width`.
  LONG WrappedHeight(const std::wstring& text, LONG width) const {
    RECT room{0, 0, width, 0};
    DrawTextW(dc_, text.c_str(), static_cast<int>(text.size()), &room, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    return Height(room);
  }

 private:
  HWND control_;
  HDC dc_;
  HGDIOBJ previous_;
  TEXTMETRICW metrics_{};
};

// What of a control's text does not fit, or "" when all of it does.
std::string Clipped(HWND control, UINT dpi) {
  std::wstring text;
  text.resize(static_cast<size_t>(GetWindowTextLengthW(control)) + 1);
  text.resize(static_cast<size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  if (text.empty()) return "";
  RECT client{};
  GetClientRect(control, &client);
  TextMeter meter(control);
  std::wstring kind = ClassOf(control);
  LONG style = GetWindowLongW(control, GWL_STYLE);
  LONG need = meter.LineWidth(text), room = Width(client);
  LONG needHeight = meter.LineHeight(), roomHeight = Height(client);
  if (_wcsicmp(kind.c_str(), L"Button") == 0) {
    switch (style & BS_TYPEMASK) {
      case BS_GROUPBOX: room -= ScaleToDpi(8, dpi); needHeight = 0; break;         // the title over the line
      case BS_AUTOCHECKBOX: case BS_CHECKBOX: case BS_RADIOBUTTON: case BS_AUTORADIOBUTTON:
        room -= ScaleToDpi(17, dpi);  // the box and the gap after it
        break;
      default: room -= ScaleToDpi(4, dpi); break;  // the button's edges
    }
  } else if (_wcsicmp(kind.c_str(), L"Static") == 0) {
    if ((style & SS_TYPEMASK) == SS_ICON) return "";
    if (text.find(L'\n') != std::wstring::npos) {  // a text of several lines wraps
      need = 0;
      needHeight = meter.WrappedHeight(text, room);
    }
  } else if (_wcsicmp(kind.c_str(), L"Edit") == 0) {
    if (style & ES_MULTILINE) {
      // A read-only text shows whole; an editable one scrolls.
      if (!(style & ES_READONLY)) return "";
      need = 0;
      needHeight = meter.WrappedHeight(text, room);
    } else if (style & ES_AUTOHSCROLL) {
      return "";  // scrolls
    } else {
      room -= ScaleToDpi(4, dpi);  // the margins inside the border
    }
  } else {
    return "";
  }
  if (need <= room && needHeight <= roomHeight) return "";
  return Sjis(text) + " needs " + std::to_string(need) + "x" + std::to_string(needHeight) + ", has " +
         std::to_string(room) + "x" + std::to_string(roomHeight);
}

// Every clipped text among a window's controls.
std::vector<std::string> ClippedTexts(HWND window, UINT dpi) {
  std::vector<std::string> clipped;
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    std::string what = Clipped(child, dpi);
    if (!what.empty()) clipped.push_back(what);
  }
  return clipped;
}

LONG FontHeight(HWND control) {
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  LOGFONTW face{};
  if (!font || !GetObjectW(font, sizeof face, &face)) return 0;
  return face.lfHeight < 0 ? -face.lfHeight : face.lfHeight;
}

}  // namespace

class DpiTest : public GuiTest {
 protected:
  // Opens each dialog of the main window in turn and hands it to `check`.
  void ForEachDialog(const std::function<void(Window&, const char*)>& check) {
    struct Opener {
      int button, id;
      const char* name;
    } openers[] = {{45, kPortfolioDialogId, "portfolio"}, {54, kIgnoreListDialogId, "ignore list"},
                   {16, kIgnoreTitleDialogId, "ignore titles"}, {18, kKeywordDialogId, "keywords"},
                   {78, kHtmlPathDialogId, "html path"}, {79, kXlsPathDialogId, "xls path"},
                   {2, kAboutDialogId, "about"}};
    for (const Opener& opener : openers) {
      Click(opener.button);
      Window* dialog = Main().Dialog(opener.id);
      EXPECT_NE(dialog, nullptr) << opener.name;
      if (!dialog) continue;
      check(*dialog, opener.name);
      SendMessageW(dialog->Handle(), WM_CLOSE, 0, 0);
      Pump();
    }
  }
  void StartWithEveryDialogUsable() {
    MakeOutput();
    Preset(K::EnableIgnoreList, "1");
    Preset(K::EnableIgnoreTitleList, "1");
    Preset(K::EnableKeyHighlightList, "1");
    Preset(K::EnableStSche, "1");
    Preset(K::StScheCycle, "1");
    Preset(K::PeriodType, "3");
    Preset(K::PeriodSt, "20241229");
    Preset(K::PeriodEd, "20250103");
    StartApp();
  }
};

TEST_F(DpiTest, WindowsFontsAndDialogsFollowTheScreensDpi) {
  StartWithEveryDialogUsable();
  UINT dpi = ExpectedDpi();
  ASSERT_EQ(Main().Dpi(), dpi) << "the test runs at the DPI it was started for";
  RECT client{};
  GetClientRect(Main().Handle(), &client);
  EXPECT_EQ(client.right, ScaleToDpi(545, dpi));
  EXPECT_EQ(client.bottom, ScaleToDpi(756, dpi));
  EXPECT_EQ(FontHeight(Item(3)), ScaleToDpi(12, dpi));
  RECT run = Main().Control(80)->Bounds();
  EXPECT_EQ(Width(run), ScaleToDpi(80, dpi));
  EXPECT_EQ(run.bottom, client.bottom - ScaleToDpi(8, dpi));
  ForEachDialog([&](Window& dialog, const char* name) {
    GetClientRect(dialog.Handle(), &client);
    EXPECT_GE(client.right, ScaleToDpi(400, dpi)) << name;
    for (HWND child = GetWindow(dialog.Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      if (FontHeight(child) != 0) EXPECT_EQ(FontHeight(child), ScaleToDpi(12, dpi)) << name;
    }
  });
}

TEST_F(DpiTest, NoTextIsClippedInTheMainWindowOrAnyDialog) {
  StartWithEveryDialogUsable();
  UINT dpi = ExpectedDpi();
  for (const std::string& clipped : ClippedTexts(Main().Handle(), dpi)) ADD_FAILURE() << "main window: " << clipped;
  ForEachDialog([&](Window& dialog, const char* name) {
    for (const std::string& clipped : ClippedTexts(dialog.Handle(), dpi)) ADD_FAILURE() << name << ": " << clipped;
  });
}

// A window moved to a screen of another DPI is laid out again for it.
TEST_F(DpiTest, MovingToAScreenOfAnotherDpiScalesTheWindowAgain) {
  StartWithEveryDialogUsable();
  UINT other = ExpectedDpi() == 144 ? 96 : 144;
  RECT window{};
  GetWindowRect(Main().Handle(), &window);
  SendMessageW(Main().Handle(), 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(other, other), reinterpret_cast<LPARAM>(&window));
  Pump();
  EXPECT_EQ(Main().Dpi(), other);
  RECT client{};
  GetClientRect(Main().Handle(), &client);
  EXPECT_EQ(client.right, ScaleToDpi(545, other));
  EXPECT_EQ(client.bottom, ScaleToDpi(756, other));
  EXPECT_EQ(FontHeight(Item(3)), ScaleToDpi(12, other));
  RECT open = Main().Control(8)->Bounds(), portfolio = Main().Control(52)->Bounds();
  EXPECT_EQ(portfolio.left, ScaleToDpi(Main().Control(8)->LogicalBounds().right + 35, other));
  EXPECT_LT(open.right, portfolio.left);
  for (const std::string& clipped : ClippedTexts(Main().Handle(), other)) ADD_FAILURE() << other << " DPI: " << clipped;
}
