#include "app/gui_testing.h"

#include <atomic>
#include <thread>

#include "platform/files.h"
#include "platform/win32/wide.h"

std::string Sjis(const std::wstring& text) { return WideToShiftJis(text); }

void GuiTest::SetUp() {
  ASSERT_TRUE(SetHomeDirectory(home_.Path()));
  messages_ = std::make_unique<MessageRecorder>();
}

void GuiTest::TearDown() {
  size_t before = messages_ ? messages_->messages.size() : 0;
  if (app_) CloseApp();
  // Closing and teardown report nothing: a message box there would keep the
  // program from ending.
  if (messages_) {
    for (size_t i = before; i < messages_->messages.size(); ++i) ADD_FAILURE() << messages_->messages[i].text;
  }
  messages_.reset();
}

void GuiTest::Preset(OptionKey key, const std::string& value) {
  OptionStore store;
  ASSERT_TRUE(store.SetText(key, value));
}

std::string GuiTest::MakeOutput() {
  std::string output = home_ / "out";
  WriteTestFile(output + "/.keep", "");
  Preset(OptionKey::HtmlDataDir, output);
  Preset(OptionKey::RequestIntervalMs, "0");  // the fixture server needs no pause
  return output;
}

void GuiTest::StartApp() {
  app_ = std::make_unique<VelkoraApp>();
  ASSERT_TRUE(app_->Start(SW_SHOWNORMAL));
  Pump();
}

void GuiTest::CloseApp() {
  if (Main().Exists()) SendMessageW(Main().Handle(), WM_CLOSE, 0, 0);
  Pump();
  EXPECT_EQ(Window::TopLevelCount(), 0);
  app_.reset();
}

void GuiTest::Pump() {
  MSG message;
  for (int i = 0; i < 10000 && PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE); ++i) app_->LoopTurn(false);
}

bool GuiTest::RunLoopUntil(const std::function<bool()>& done, int seconds) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > static_cast<DWORD>(seconds) * 1000) return false;
    MSG message;
    bool waiting = PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE) != FALSE;
    app_->LoopTurn(false);
    if (!waiting && !Controller().Running()) Sleep(5);
  }
  return true;
}

std::wstring GuiTest::Text(HWND window) {
  wchar_t buffer[4096] = {};
  int length = GetWindowTextW(window, buffer, 4096);
  return std::wstring(buffer, static_cast<size_t>(length > 0 ? length : 0));
}

void GuiTest::Click(HWND button) {
  SendMessageW(button, BM_CLICK, 0, 0);
  Pump();
}

void GuiTest::Type(HWND edit, const std::wstring& text) {
  SetFocus(edit);
  SetWindowTextW(edit, text.c_str());
  SetFocus(GetAncestor(edit, GA_ROOT));
  Pump();
}

void GuiTest::TypeAndEnter(HWND edit, const std::wstring& text) {
  SetFocus(edit);
  SetWindowTextW(edit, text.c_str());
  SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
  SendMessageW(edit, WM_CHAR, '\r', 0);
  Pump();
}

bool GuiTest::Reported(const std::string& part) const {
  for (const std::string& text : messages_->Texts()) {
    if (text.find(part) != std::string::npos) return true;
  }
  return false;
}

std::wstring GuiTest::ShownInABox(const std::function<void()>& action, bool* mainDisabled) {
  messages_.reset();
  InstallMessageBoxSink();
  std::wstring seen;
  bool disabled = false;
  std::atomic<bool> stop{false};
  HWND main = Main().Handle();
  std::thread closer([&] {
    for (int i = 0; i < 500 && !stop; ++i, Sleep(20)) {
      HWND box = FindWindowW(L"#32770", L"ERROR");
      if (!box) continue;
      seen = Text(GetDlgItem(box, 0xFFFF));
      disabled = !IsWindowEnabled(main);
      PostMessageW(box, WM_COMMAND, IDOK, 0);
      return;
    }
  });
  action();
  stop = true;
  closer.join();
  SetMessageSink(nullptr);
  messages_ = std::make_unique<MessageRecorder>();
  if (mainDisabled) *mainDisabled = disabled;
  return seen;
}
