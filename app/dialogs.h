// The dialogs of the main window: the two path dialogs, the four list editors and
// the about dialog. Each is modal towards the main window (which is disabled
// while it exists) and is made hidden by Build; the caller shows it.
#pragma once

#include <string>

#include "settings/options.h"
#include "ui/controls.h"
#include "ui/window.h"

struct UserLists;

// Framework window ids of the dialogs.
enum : int {
  kHtmlPathDialogId = 1,
  kXlsPathDialogId = 2,
  kIgnoreListDialogId = 3,
  kPortfolioDialogId = 4,
  kIgnoreTitleDialogId = 5,
  kKeywordDialogId = 6,
  kAboutDialogId = 7,
};

// Arguments of a dialog of the given client size: modal towards `owner`, centred
// over it, its position kept under its title.
WindowArgs DialogArgs(Window& owner, int id, const std::string& title, int width, int height);

// A directory option edited as text: every commit of the edit writes the key,
// "OK" closes. A path too long to work is refused with a message at the commit,
// and "OK" then keeps the dialog open until the text changes.
class PathDialog : public DialogWindow {
 public:
  PathDialog(int id, const char* title, OptionKey key) : id_(id), title_(title), key_(key) {}
  bool Build(Window& owner);
  HWND EditHandle() const { return edit_.Handle(); }

 protected:
  bool OnCreate() override;

 private:
  void Commit();
  void PressOk();

  int id_;
  const char* title_;
  OptionKey key_;
  std::string refused_;  // the text last refused, "" when none
  Edit edit_;
  Button ok_;
};

enum class ListKind { Portfolio, IgnoreList, IgnoreTitles, Keywords };

// One of the user's four lists as free text. A commit of the edit marks the text
// changed; a close request ("OK", the close box) saves a changed text. A text
// that is not saved (a format error, too long for the option file, a failed
// write; the saving reports why) keeps the dialog open with the text;
// "キャンセル" closes without saving.
class ListDialog : public DialogWindow {
 public:
  ListDialog(ListKind kind, UserLists& lists) : kind_(kind), lists_(lists) {}
  // The ignore-title editor fails when the output directory does not exist
  // ("html保存パスの<%s>は存在しません"); nothing is made then.
  bool Build(Window& owner);
  HWND EditHandle() const { return edit_.Handle(); }
  bool Changed() const { return changed_; }

 protected:
  bool OnCreate() override;
  void OnClose() override;

 private:
  std::string SourceText() const;
  bool Save(const std::string& text);

  ListKind kind_;
  UserLists& lists_;
  bool changed_ = false;
  std::string text_;
  Edit edit_;
  Button ok_;
  Button cancel_;
};

// Version, disclaimer and the debug log level as two check boxes written at
// every toggle.
class AboutDialog : public DialogWindow {
 public:
  bool Build(Window& owner);
  HWND LogBox() const { return logBox_.Handle(); }
  HWND DetailBox() const { return detailBox_.Handle(); }

 protected:
  bool OnCreate() override;

 private:
  bool CreateTexts();
  bool CreateDisclaimer(int top);
  void ShowLevel();
  void WriteLevel();

  Label icon_;
  Label version_;
  CheckBox logBox_;
  CheckBox detailBox_;
  Label disclaimerFrame_;
  Edit disclaimer_;
  Button ok_;
};
