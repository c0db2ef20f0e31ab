// The about dialog: version, notice, debug log level and disclaimer. The
// program has no web site of its own, so the dialog links none.
#include <algorithm>

#include "app/dialogs.h"
#include "platform/diagnostics.h"
#include "ui/gdi.h"

namespace {

constexpr int kVersionMajor = 0, kVersionMinor = 7, kVersionRevision = 9;
constexpr int kWidth = 446, kHeight = 174;
constexpr int kMargin = 10;
constexpr int kTextMargin = 6;
constexpr int kLogBoxId = 301;
constexpr int kDetailBoxId = 302;
constexpr int kDisclaimerId = 303;
constexpr char kNotice[] = "TDnet の適時開示を日ごとに集めて一覧にするツールです";
constexpr char kDisclaimer[] =
    "このプログラムにより問題が起きたとしても責任は負いかねます、投資は自己責任で。\r\n"
    "なるべく頑張りますが、作者はバージョンアップ／サポートの義務を負うものではありません。\r\n"
    "投資家の皆様に幸運がありますように…。";

RECT At(int x, int y, int width, int height) { return RECT{x, y, x + width, y + height}; }

// The height of `lines` lines of a window's control font, in the dialog's
// layout pixels (96 DPI), rounded up so that the lines fit at the window's DPI.
int LinesHeight(const Window& window, int lines) {
  SharedRef<SharedFont> font;
  HDC handle = GetDC(window.Handle());
  int height = ScaleToDpi(13, window.Dpi());
  if (!handle) return lines * 13;
  {
    DeviceContext dc(handle);
    if (AcquireControlFont(font, window.Dpi()) && dc.Select(font->font)) {
      TEXTMETRICW metrics{};
      if (GetTextMetricsW(handle, &metrics)) height = metrics.tmHeight + metrics.tmExternalLeading;
      dc.Unselect(font->font);
    }
  }
  ReleaseDC(window.Handle(), handle);
  int dpi = static_cast<int>(window.Dpi());
  return (lines * height * static_cast<int>(kBaseDpi) + dpi - 1) / dpi;
}

}  // namespace

bool AboutDialog::Build(Window& owner) {
  return Create(DialogArgs(owner, kAboutDialogId, "バージョン情報", kWidth, kHeight));
}

bool AboutDialog::OnCreate() {
  SetDefaultId(IDOK);
  // The level is written at every toggle; the plain log's box also decides
  // whether the detail can be chosen.
  logBox_.onToggle = [this] {
    WriteLevel();
    ShowLevel();
  };
  detailBox_.onToggle = [this] { WriteLevel(); };
  ok_.onClick = [this] { Close(); };
  if (!CreateTexts()) return false;
  RECT box = logBox_.LogicalBounds();
  if (!CreateDisclaimer(box.bottom + 6)) return false;
  int level = Options().Int(OptionKey::DebugLogLevel);
  logBox_.SetChecked(level != 0);
  detailBox_.SetChecked(level != 0);
  ShowLevel();
  return true;
}

bool AboutDialog::CreateTexts() {
  std::string version = FormatString("Velkora Ver.%d.%d.%d", kVersionMajor, kVersionMinor, kVersionRevision);
  if (!icon_.Create({this, 0, At(kMargin, kMargin, 32, 32)}, "", SS_ICON)) return false;
  SharedRef<SharedCursor> icon;
  if (AcquireAppIcon(icon)) SendMessageW(icon_.Handle(), STM_SETICON, reinterpret_cast<WPARAM>(icon->Handle()), 0);
  int textLeft = kMargin + 32 + 10;
  int top = kMargin + 32 + 4;
  return version_.Create({this, 0, At(textLeft, kMargin + 2, kWidth - textLeft - kMargin, 30)},
                         version + "\r\n" + kNotice) &&
         logBox_.Create({this, kLogBoxId, At(kMargin, top, 190, 16)}, "デバッグ用のログを出力する", false) &&
         detailBox_.Create({this, kDetailBoxId, At(kMargin + 190 + 8, top, 190, 16)},
                           "より詳細なログを出力する", false);
}

// The disclaimer is a read-only text that wraps to the dialog's width; the
// dialog grows when the wrapped text needs more lines than it has room for.
bool AboutDialog::CreateDisclaimer(int top) {
  int width = kWidth - 2 * kMargin;
  Edit::Style style;
  style.multiline = true;
  style.readOnly = true;
  RECT text = At(kMargin + kTextMargin, top + kTextMargin, width - 2 * kTextMargin, 100);
  if (!disclaimer_.Create({this, kDisclaimerId, text}, kDisclaimer, style)) return false;
  int lines = static_cast<int>(SendMessageW(disclaimer_.Handle(), EM_GETLINECOUNT, 0, 0));
  int height = LinesHeight(disclaimer_, std::max(lines, 3));
  disclaimer_.SetLogicalBounds(At(kMargin + kTextMargin, top + kTextMargin, width - 2 * kTextMargin, height));
  RECT frame = At(kMargin, top, width, height + 2 * kTextMargin);
  if (!disclaimerFrame_.Create({this, 0, frame}, "", SS_ETCHEDFRAME)) return false;
  int okTop = std::max(static_cast<int>(frame.bottom) + 6, kHeight - kMargin - 20);
  if (!ok_.Create({this, IDOK, At(kWidth - kMargin - 70, okTop, 70, 20)}, "OK", true)) return false;
  if (okTop + 20 + kMargin > kHeight) SetLogicalClientSize(kWidth, okTop + 20 + kMargin);
  return true;
}

// Box 4 is usable only while there is a log; it shows off for the plain log.
void AboutDialog::ShowLevel() {
  int level = Options().Int(OptionKey::DebugLogLevel) & 0xFF;
  if (level == 0) {
    detailBox_.Enable(false);
    return;
  }
  detailBox_.Enable(true);
  if (level <= 1) detailBox_.SetChecked(false);
}

void AboutDialog::WriteLevel() {
  int level = !logBox_.Checked() ? 0 : detailBox_.Checked() ? 2 : 1;
  Options().SetInt(OptionKey::DebugLogLevel, level);
}
