// The controls the program's windows are made of: label, push button, check box,
// radio group, edit, group frame and link. Each is created inside a parent
// window at a given rectangle; what the user does with it calls the handler
// member its owner set when it made it (onClick, onToggle, onCommit,
// onSelect). A handler left empty does nothing.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/window.h"

// Where a control goes: parent, id, rectangle in the parent's client area.
struct ControlPlace {
  Window* parent = nullptr;
  int id = 0;
  RECT rect{};
};

// A static text, optionally in its own colour.
class Label : public Window {
 public:
  bool Create(const ControlPlace& place, const std::string& text, DWORD extraStyle = 0);
  // Draws the text in `colour` from now on (repaints).
  void SetColour(COLORREF colour);
  // Back to the system's text colour (repaints).
  void ClearColour();

 protected:
  bool TextColour(COLORREF& colour) const override;

 private:
  bool coloured_ = false;
  COLORREF colour_ = 0;
};

// A push button; a press of an enabled button calls onClick.
class Button : public Window {
 public:
  bool Create(const ControlPlace& place, const std::string& text, bool isDefault = false);
  std::function<void()> onClick;

 protected:
  void OnNotification(int code) override;
};

// A check box; a click flips the state, then calls onToggle. Setting the state
// from code calls nothing.
class CheckBox : public Window {
 public:
  bool Create(const ControlPlace& place, const std::string& text, bool checked);
  bool Checked() const;
  void SetChecked(bool on);
  std::function<void()> onToggle;

 protected:
  void OnNotification(int code) override;
};

// A single- or multi-line edit. It commits (onCommit) when it loses the focus;
// a single-line edit also gives the focus up when Enter is pressed, and so
// commits. A multi-line edit takes Enter as a line break.
class Edit : public Window {
 public:
  struct Style {
    bool multiline = false;
    bool autoHScroll = false;
    bool readOnly = false;  // a text block: no border, no scroll bar, not a tab stop
  };
  bool Create(const ControlPlace& place, const std::string& text, Style style);
  void SetInt(int value);
  std::function<void()> onCommit;

 protected:
  void OnNotification(int code) override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  bool multiline_ = false;
};

// A group frame drawn around controls. A non-empty title is shown as "  %s  ";
// a frame headed by a check box has none and the box sits on its top line.
class GroupFrame : public Window {
 public:
  bool Create(const ControlPlace& place, const std::string& title);
};

// A text that opens its target through the shell when clicked, drawn in blue and
// underlined, with the hand cursor. A target holding "@" opens as "mailto:".
class LinkLabel : public Window {
 public:
  bool Create(const ControlPlace& place, const std::string& text, const std::string& target);
  // Opens the target ("ShellExecuteEx に失敗" when the shell refuses).
  bool Open() const;

 protected:
  void OnNotification(int code) override;
  void OnDpiChanged() override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Paint();
  std::string target_;
  SharedRef<SharedFont> font_;
  SharedRef<SharedCursor> hand_;
};

class RadioItem;

// A fixed list of radio buttons with one selected index. A change of selection
// by the user calls onSelect; the items are enabled and disabled together.
class RadioGroup {
 public:
  // Creates the items, one per rectangle, with ids id * 100 + index. `selected`
  // is checked.
  bool Create(Window& parent, int id, const std::vector<std::string>& labels, const std::vector<RECT>& rects,
              int selected);
  int Selected() const { return selected_; }
  // Selects from code, without notifying.
  void Select(int index);
  void Enable(bool on);
  int Count() const { return static_cast<int>(items_.size()); }
  HWND Item(int index) const;
  RECT ItemBounds(int index) const;
  std::function<void()> onSelect;
  RadioGroup();
  ~RadioGroup();

 private:
  friend class RadioItem;
  void Clicked(int index);

  int selected_ = 0;
  std::vector<std::unique_ptr<RadioItem>> items_;
};
