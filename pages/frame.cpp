#include "pages/frame.h"

#include "markup/tree.h"
#include "pages/output.h"
#include "platform/diagnostics.h"
#include "platform/files.h"

namespace {

constexpr char kXhtmlNamespace[] = "http://www.w3.org/1999/xhtml";
constexpr char kContentType[] = "text/html; charset=shitf_jis";  // spelled so in every page

void AddMeta(MarkupElement* head, const char* httpEquiv, const char* content) {
  MarkupElement* meta = head->AddChild("meta");
  meta->AddAttribute("http-equiv", httpEquiv);
  meta->AddAttribute("content", content);
}

// The site icon's reference from a page whose style sheet reference is
// `styleSheet`: the same directories up.
std::string SiteIconFrom(std::string_view styleSheet) {
  size_t slash = styleSheet.rfind('/');
  std::string up(slash == std::string_view::npos ? std::string_view() : styleSheet.substr(0, slash + 1));
  return up + kSiteIconFile;
}

// The link element of a page's head whose `rel` is `rel`, or null.
MarkupElement* HeadLink(MarkupElement& head, std::string_view rel) {
  for (MarkupElement* child : head.children()) {
    const MarkupAttribute* attribute = child->name() == "link" ? child->FindAttribute("rel") : nullptr;
    if (attribute && attribute->text() == rel) return child;
  }
  return nullptr;
}

std::string BuildStyleSheet() {
  struct Rule {
    const char* selectors;  // one selector per line
    const char* declarations;
    bool blankBefore;
  };
  static const Rule rules[] = {
      {"a", "text-decoration: none;", true},
      {"table",
       "border-collapse: collapse;|border-spacing: 0;|empty-cells: show;|font-size: 12px;|line-height: 17px;", true},
      {"td", "border: 1px solid #c8c8c8;|padding-top: 1px;|padding-bottom: 0px;|vertical-align:top;", true},
      {"td#date", "text-align: center;|width: 65px;", true},
      {"td#time", "text-align: center;|width: 35px;", true},
      {"td#ticker", "text-align: center;|width: 35px;", true},
      {"td#coname", "padding-left: 4px;|width: 200px;|border-right: 0px;", true},
      {"td#yahoo,|td#gmo,|td#ifis,|td#kcom", "text-align: center;|border-left: 0px;|border-right: 0px;", true},
      {"td#sbi", "text-align: center;|border-left: 0px;|border-right: 0px;", false},
      {"td#market", "text-align: center;|width: 55px;", true},
      {"td#industry", "padding-left: 4px;|width: 90px;", true},
      {"td#title", "padding-left: 4px;|padding-right: 4px;|word-break: break-all;", true},
      {".in_port", "color: #ff0000;", true},
      {".in_xls", "color: #00b000;", true},
      {".in_market_time", "color: #ff0000;", true},
  };
  auto lines = [](const char* text, const char* prefix) {
    std::string out = prefix;
    for (const char* p = text; *p; ++p) out += *p == '|' ? std::string("\r\n") + prefix : std::string(1, *p);
    return out + "\r\n";
  };
  std::string css = "@charset \"shift_jis\";\r\n";
  for (const Rule& rule : rules) {
    if (rule.blankBefore) css += "\r\n";
    std::string selectors = lines(rule.selectors, "");
    css += selectors.substr(0, selectors.size() - 2) + " {\r\n";
    css += lines(rule.declarations, "\t");
    css += "}\r\n";
  }
  return css;
}

}  // namespace

std::unique_ptr<MarkupDocument> BuildPageFrame(const char* title, const char* styleSheet, MarkupElement*& table) {
  auto document = std::make_unique<MarkupDocument>();
  MarkupElement* html = document->AddChild("html");
  html->AddAttribute("xmlns", kXhtmlNamespace);
  html->AddAttribute("xml:lang", "ja");
  html->AddAttribute("lang", "ja");
  MarkupElement* head = html->AddChild("head");
  AddMeta(head, "Content-Type", kContentType);
  AddMeta(head, "Content-Style-Type", "text/css");
  AddMeta(head, "content-script-type", "text/javascript");
  if (title) head->AddChild("title")->AddText(title);
  MarkupElement* icon = head->AddChild("link");
  icon->AddAttribute("rel", "shortcut icon");
  icon->AddAttribute("href", SiteIconFrom(styleSheet));
  MarkupElement* sheet = head->AddChild("link");
  sheet->AddAttribute("rel", "stylesheet");
  sheet->AddAttribute("href", styleSheet);
  sheet->AddAttribute("type", "text/css");
  sheet->AddAttribute("media", "screen,print");
  table = html->AddChild("body")->AddChild("table");
  return document;
}

const std::string& PageHeaderText() {
  static const std::string text = std::string() +
      "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n"
      "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" "
      "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd\">\r\n"
      "<html xmlns=\"" + kXhtmlNamespace + "\" xml:lang=\"ja\" lang=\"ja\">\r\n"
      "<head>\r\n"
      "\t<meta http-equiv=\"Content-Type\" content=\"" + kContentType + "\" />\r\n"
      "\t<meta http-equiv=\"Content-Style-Type\" content=\"text/css\" />\r\n"
      "\t<meta http-equiv=\"content-script-type\" content=\"text/javascript\" />\r\n"
      "\t<link rel=\"stylesheet\" href=\"../_default.css\" type=\"text/css\" media=\"screen,print\" />\r\n"
      "\t<link rel=\"shortcut icon\" href=\"../" + kSiteIconFile + "\" />\r\n"
      "</head>\r\n"
      "<body>\r\n"
      "<table>\r\n"
      "\r\n";
  return text;
}

const char* PageFooterText() { return "\n</table>\n</body>\n</html>\n"; }

const std::string& DefaultStyleSheet() {
  static const std::string css = BuildStyleSheet();
  return css;
}

bool SavePage(const char* path, const MarkupDocument& document) {
  StringOutput page;
  document.Write(page, 0);
  // The message names the page as the caller spelled it (a view's path keeps
  // its "/" on Windows), with the system's code kept beside it.
  FilePath target;
  if (!target.SetPath(path)) return ReportOsError(OsFailureWithCode(0, "ファイル<%s>の書き込みに失敗", path));
  std::optional<OsError> failure = TryReplaceFileContents(target, page.text);
  return !failure || ReportOsError(OsFailureWithCode(failure->code, "ファイル<%s>の書き込みに失敗", path));
}

void WriteStyleSheetIfMissing(const OutputDir& output) {
  FilePath path;
  if (!path.SetPath(output.File(kStyleSheetFile).c_str())) return;  // relative to the home, like every path
  // An empty sheet is what a killed or failed write left: it counts as missing.
  std::string current;
  if (FileEntry(path.Text()).ExistsPath() && ReadAll(path.Text(), current) && !current.empty()) return;
  ReplaceFileContents(path, DefaultStyleSheet());  // reports its own failure
}

void LinkSiteIcon(MarkupDocument& page) {
  MarkupElement* head = page.FindChild("head", true);
  MarkupElement* icon = head ? HeadLink(*head, "shortcut icon") : nullptr;
  MarkupElement* sheet = head ? HeadLink(*head, "stylesheet") : nullptr;
  const MarkupAttribute* sheetHref = sheet ? sheet->FindAttribute("href") : nullptr;
  MarkupAttribute* iconHref = icon ? icon->FindAttribute("href") : nullptr;
  if (!sheetHref || !iconHref) return;
  iconHref->SetText(SiteIconFrom(sheetHref->text()));
  iconHref->SetKind(TokenKind::Word);
}

void LinkAtomFeed(MarkupDocument& page, const char* href, const char* title) {
  MarkupElement* head = page.FindChild("head", true);
  if (!head) return;
  while (MarkupElement* old = HeadLink(*head, "alternate")) head->RemoveChild(old);
  if (!href) return;
  MarkupElement* link = head->AddChild("link");
  link->AddAttribute("rel", "alternate");
  link->AddAttribute("type", "application/atom+xml");
  link->AddAttribute("href", href);
  if (title) link->AddAttribute("title", title);
}

void WriteSiteIconIfMissing(const OutputDir& output) {
  FilePath path;
  if (!path.SetPath(output.File(kSiteIconFile).c_str())) return;
  FileEntry icon(path.Text());
  std::string current;
  if (icon.ExistsPath() && ReadAll(path.Text(), current) && !current.empty()) return;
  output.EnsureSubdir("Images");
  std::string_view bytes(reinterpret_cast<const char*>(kSiteIcon), kSiteIconSize);
  ReplaceFileContents(path, bytes);  // reports its own failure
}
