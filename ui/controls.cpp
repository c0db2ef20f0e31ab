#include "ui/controls.h"

#include "platform/diagnostics.h"
#include "platform/process.h"
#include "platform/win32/wide.h"

namespace {

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
constexpr COLORREF kLinkColour = RGB(0x20, 0x20, 0xFF);

// Calls a copy: a handler may end the control whose member it is (a dialog's
// button that closes the dialog).
void Call(const std::function<void()>& handler) {
  if (std::function<void()> copy = handler) copy();
}

WindowArgs ChildArgs(const ControlPlace& place, const char* className, const std::string& text, DWORD style,
                     DWORD exStyle = 0) {
  WindowArgs args;
  args.className = className;
  args.title = text;
  args.style = kChild | style;
  args.exStyle = exStyle;
  args.parent = place.parent;
  args.id = place.id;
  args.x = place.rect.left;
  args.y = place.rect.top;
  args.width = place.rect.right - place.rect.left;
  args.height = place.rect.bottom - place.rect.top;
  return args;
}

}  // namespace

bool Label::Create(const ControlPlace& place, const std::string& text, DWORD extraStyle) {
  return Window::Create(ChildArgs(place, "static", text, SS_LEFT | extraStyle));
}

void Label::SetColour(COLORREF colour) {
  coloured_ = true;
  colour_ = colour;
  Redraw();
}

void Label::ClearColour() {
  coloured_ = false;
  Redraw();
}

bool Label::TextColour(COLORREF& colour) const {
  if (coloured_) colour = colour_;
  return coloured_;
}

bool Button::Create(const ControlPlace& place, const std::string& text, bool isDefault) {
  return Window::Create(ChildArgs(place, "button", text, WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON)));
}

void Button::OnNotification(int code) {
  // Enter on a dialog reaches the default button through its id even while it is
  // disabled; a disabled button does nothing.
  if (code == BN_CLICKED && IsEnabled()) Call(onClick);
}

bool CheckBox::Create(const ControlPlace& place, const std::string& text, bool checked) {
  if (!Window::Create(ChildArgs(place, "button", text, WS_TABSTOP | BS_AUTOCHECKBOX))) return false;
  SetChecked(checked);
  return true;
}

bool CheckBox::Checked() const { return SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void CheckBox::SetChecked(bool on) { SendMessageW(Handle(), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0); }

void CheckBox::OnNotification(int code) {
  if (code == BN_CLICKED) Call(onToggle);
}

bool Edit::Create(const ControlPlace& place, const std::string& text, Style style) {
  multiline_ = style.multiline;
  DWORD flags = ES_LEFT;
  if (style.readOnly) {
    flags |= ES_READONLY | (style.multiline ? ES_MULTILINE : 0);
    return Window::Create(ChildArgs(place, "edit", text, flags));
  }
  flags |= WS_TABSTOP;
  if (style.multiline) flags |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL;
  if (style.autoHScroll) flags |= ES_AUTOHSCROLL;
  return Window::Create(ChildArgs(place, "edit", text, flags, WS_EX_CLIENTEDGE));
}

void Edit::SetInt(int value) { SetText(std::to_string(value)); }

void Edit::OnNotification(int code) {
  if (code == EN_KILLFOCUS) Call(onCommit);
}

LRESULT Edit::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!multiline_) {
    switch (message) {
      case WM_GETDLGCODE: {
        // Enter belongs to the edit, not to the dialog's default button.
        LRESULT code = CallPrevious(message, wParam, lParam);
        const MSG* key = reinterpret_cast<const MSG*>(lParam);
        if (key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN) code |= DLGC_WANTMESSAGE;
        return code;
      }
      case WM_KEYDOWN:
        if (wParam != VK_RETURN) break;
        // Giving the focus to the window itself commits the edit.
        SetFocus(GetAncestor(Handle(), GA_ROOT));
        return 0;
      case WM_CHAR:
        if (wParam == '\r' || wParam == '\n') return 0;  // no beep
        break;
      default:
        break;
    }
  }
  return Window::HandleMessage(message, wParam, lParam);
}

bool GroupFrame::Create(const ControlPlace& place, const std::string& title) {
  std::string text = title.empty() ? title : FormatString("  %s  ", title.c_str());
  return Window::Create(ChildArgs(place, "button", text, BS_GROUPBOX));
}

bool LinkLabel::Create(const ControlPlace& place, const std::string& text, const std::string& target) {
  target_ = target;
  AcquireLinkFont(font_, place.parent ? place.parent->Dpi() : SystemDpi());
  AcquireHandCursor(hand_);
  return Window::Create(ChildArgs(place, "static", text, SS_LEFT | SS_NOTIFY));
}

bool LinkLabel::Open() const {
  ProcessLauncher launcher;
  launcher.document = target_.find('@') != std::string::npos ? "mailto:" + target_ : target_;
  return launcher.Run();
}

void LinkLabel::OnNotification(int code) {
  if (code == STN_CLICKED) Open();
}

void LinkLabel::Paint() {
  PaintContext dc(Handle());
  if (!dc.Valid()) return;
  RECT client{};
  GetClientRect(Handle(), &client);
  if (font_) dc.Select(font_->font);
  dc.SetTextColour(kLinkColour);
  dc.SetBackgroundMode(TRANSPARENT);
  std::wstring text = ShiftJisToWide(GetText());
  DrawTextW(dc.Handle(), text.c_str(), static_cast<int>(text.size()), &client, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
  if (font_) dc.Unselect(font_->font);
}

void LinkLabel::OnDpiChanged() { AcquireLinkFont(font_, Dpi()); }

LRESULT LinkLabel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_SETCURSOR:
      if (!hand_) break;
      SetCursor(hand_->Handle());
      return TRUE;
    default:
      break;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

// One radio button of a group. The group keeps the check marks itself, so that
// two groups of one window never take each other's buttons for their own.
class RadioItem : public Window {
 public:
  RadioItem(RadioGroup& group, int index) : group_(group), index_(index) {}

 protected:
  void OnNotification(int code) override {
    if (code == BN_CLICKED) group_.Clicked(index_);
  }

 private:
  RadioGroup& group_;
  int index_;
};

RadioGroup::RadioGroup() = default;
RadioGroup::~RadioGroup() = default;

bool RadioGroup::Create(Window& parent, int id, const std::vector<std::string>& labels,
                        const std::vector<RECT>& rects, int selected) {
  for (size_t i = 0; i < labels.size() && i < rects.size(); ++i) {
    auto item = std::make_unique<RadioItem>(*this, static_cast<int>(i));
    ControlPlace place{&parent, id * 100 + static_cast<int>(i), rects[i]};
    DWORD style = BS_RADIOBUTTON | (i == 0 ? WS_GROUP | WS_TABSTOP : 0);
    if (!item->Create(ChildArgs(place, "button", labels[i], style))) return false;
    items_.push_back(std::move(item));
  }
  Select(selected);
  return true;
}

void RadioGroup::Select(int index) {
  selected_ = index;
  for (size_t i = 0; i < items_.size(); ++i) {
    WPARAM state = static_cast<int>(i) == index ? BST_CHECKED : BST_UNCHECKED;
    SendMessageW(items_[i]->Handle(), BM_SETCHECK, state, 0);
  }
}

void RadioGroup::Enable(bool on) {
  for (auto& item : items_) item->Enable(on);
}

HWND RadioGroup::Item(int index) const {
  return index >= 0 && index < Count() ? items_[static_cast<size_t>(index)]->Handle() : nullptr;
}

RECT RadioGroup::ItemBounds(int index) const {
  return index >= 0 && index < Count() ? items_[static_cast<size_t>(index)]->Bounds() : RECT{};
}

void RadioGroup::Clicked(int index) {
  if (index == selected_) return;
  Select(index);
  Call(onSelect);
}
