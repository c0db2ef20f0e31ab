// The path dialogs and the list editors.
#include "app/dialogs.h"

#include "pages/output.h"
#include "platform/diagnostics.h"
#include "platform/files.h"
#include "settings/lists.h"
#include "work/controller.h"

namespace {

constexpr int kMargin = 7;
constexpr int kEditId = 100;

struct ListShape {
  const char* title;
  int id;
  int width, height;          // client size
  int editWidth, editHeight;
};

ListShape ShapeOf(ListKind kind) {
  switch (kind) {
    case ListKind::Portfolio: return {"ポートフォリオ編集", kPortfolioDialogId, 450, 250, 400, 210};
    case ListKind::IgnoreList: return {"無視リスト編集", kIgnoreListDialogId, 450, 250, 400, 210};
    case ListKind::IgnoreTitles: return {"無視タイトル編集", kIgnoreTitleDialogId, 500, 400, 450, 360};
    case ListKind::Keywords: break;
  }
  return {"キーワードハイライトリスト編集", kKeywordDialogId, 450, 250, 400, 210};
}

RECT At(int x, int y, int width, int height) { return RECT{x, y, x + width, y + height}; }

// A multi-line edit shows a line break only for CR LF.
std::string WithCrLf(const std::string& text) {
  std::string result;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) result += '\r';
    result += text[i];
  }
  return result;
}

}  // namespace

WindowArgs DialogArgs(Window& owner, int id, const std::string& title, int width, int height) {
  WindowArgs args;
  args.title = title;
  args.id = id;
  args.parent = &owner;
  args.width = width;
  args.height = height;
  args.clientSize = true;
  args.fixedSize = true;
  args.savePlacement = true;
  args.centre = true;
  args.modal = true;
  return args;
}

// ---- Path dialog ----

bool PathDialog::Build(Window& owner) { return Create(DialogArgs(owner, id_, title_, 400, 65)); }

bool PathDialog::OnCreate() {
  SetDefaultId(IDOK);
  Edit::Style style;
  style.autoHScroll = true;
  edit_.onCommit = [this] { Commit(); };
  ok_.onClick = [this] { PressOk(); };
  return edit_.Create({this, kEditId, At(kMargin, kMargin, 350, 20)}, Options().Text(key_), style) &&
         ok_.Create({this, IDOK, At(kMargin, kMargin + 20 + 6, 80, 20)}, "OK", true);
}

// A path that leaves no room for the files made in it is refused with the
// reason; the text stays for the user to shorten.
void PathDialog::Commit() {
  std::string text = edit_.GetText();
  if (CheckDirectoryPath(key_, text)) {
    Options().SetText(key_, text);
    refused_.clear();
  } else {
    refused_ = text;
  }
}

void PathDialog::PressOk() {
  if (!refused_.empty() && refused_ == edit_.GetText()) return;
  Close();
}

// ---- List editors ----

bool ListDialog::Build(Window& owner) {
  if (kind_ == ListKind::IgnoreTitles) {
    std::string directory = Options().Text(OptionKey::HtmlDataDir);
    if (!CheckDirectoryPath(OptionKey::HtmlDataDir, directory)) return false;
    FileEntry output(directory.c_str());
    if (!output.ExistsPath()) {
      ReportError("html保存パスの<%s>は存在しません", directory.c_str());
      return false;
    }
  }
  text_ = WithCrLf(SourceText());
  ListShape shape = ShapeOf(kind_);
  return Create(DialogArgs(owner, shape.id, shape.title, shape.width, shape.height));
}

std::string ListDialog::SourceText() const {
  switch (kind_) {
    case ListKind::Portfolio: return Options().Text(OptionKey::PortList);
    case ListKind::IgnoreList: return Options().Text(OptionKey::IgnoreList);
    case ListKind::Keywords: return Options().Text(OptionKey::KeyHighlightList);
    case ListKind::IgnoreTitles: break;
  }
  std::string path = OutputDirOf(Options()).File(kIgnoreTitleFileName), text;
  FileEntry file(path.c_str());
  if (file.ExistsPath() && !ReadAll(path.c_str(), text)) text.clear();
  return text;
}

bool ListDialog::OnCreate() {
  SetDefaultId(IDOK);
  ListShape shape = ShapeOf(kind_);
  Edit::Style style;
  style.multiline = true;
  int buttons = kMargin + shape.editHeight + 4;
  edit_.onCommit = [this] { changed_ = true; };
  ok_.onClick = [this] { Close(); };
  cancel_.onClick = [this] {
    changed_ = false;
    Close();
  };
  return edit_.Create({this, kEditId, At(kMargin, kMargin, shape.editWidth, shape.editHeight)}, text_, style) &&
         ok_.Create({this, IDOK, At(kMargin, buttons, 80, 20)}, "OK", true) &&
         cancel_.Create({this, IDCANCEL, At(kMargin + 80 + 10, buttons, 80, 20)}, "キャンセル");
}

bool ListDialog::Save(const std::string& text) {
  switch (kind_) {
    case ListKind::Portfolio: return SavePortfolioList(Options(), lists_, text);
    case ListKind::IgnoreList: return SaveIgnoreList(Options(), lists_, text);
    case ListKind::Keywords: return SaveKeywordList(Options(), text);
    case ListKind::IgnoreTitles: break;
  }
  return WriteIgnoreTitles(Options().Text(OptionKey::HtmlDataDir).c_str(), text);
}

void ListDialog::OnClose() {
  // The close box does not take the focus: commit an edit still being typed in.
  if (GetFocus() == edit_.Handle()) SetFocus(Handle());
  // A text that was not saved (refused, too long, the file not written) stays
  // in the dialog: the message said why, and the user corrects it or cancels.
  if (changed_) {
    if (!Save(edit_.GetText())) return;
    changed_ = false;
  }
  Destroy();
}
