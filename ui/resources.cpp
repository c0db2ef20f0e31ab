#include "ui/resources.h"

#include <map>

#include "platform/diagnostics.h"
#include "platform/os_error.h"
#include "platform/win32/wide.h"
#include "ui/dpi.h"

namespace {

struct Entry {
  int users = 0;
  std::unique_ptr<SharedResource> resource;
};

std::map<std::string, Entry>& Table() {
  static std::map<std::string, Entry> table;
  return table;
}

constexpr const char kControlFontName[] = "MS UI Gothic";
constexpr int kControlFontHeight = 12;

// Systems before Windows 2000 and Windows 95 lack the hand cursor.
bool SystemHasHandCursor() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExA(&version)) return true;
#pragma GCC diagnostic pop
  if (version.dwPlatformId == VER_PLATFORM_WIN32_NT) return version.dwMajorVersion > 4;
  return version.dwMinorVersion != 0;
}

// Cursor 106 of the Windows help program, the hand of old systems.
HCURSOR CopyHelpProgramHand() {
  wchar_t directory[MAX_PATH] = {};
  UINT length = GetWindowsDirectoryW(directory, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  std::wstring path = std::wstring(directory) + L"\\winhlp32.exe";
  HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) return nullptr;
  HCURSOR copy = nullptr;
  if (HCURSOR hand = LoadCursorW(module, MAKEINTRESOURCEW(106))) {
    copy = CopyCursor(hand);
    if (!copy) ReportOsFailure("CopyCursor に失敗");
  } else {
    ReportOsFailure("LoadCursor に失敗");
  }
  FreeLibrary(module);
  return copy;
}

}  // namespace

SharedResource* AcquireShared(const std::string& name,
                              const std::function<std::unique_ptr<SharedResource>()>& make) {
  Entry& entry = Table()[name];
  if (!entry.resource) {
    entry.resource = make();
    if (!entry.resource) {
      Table().erase(name);
      return nullptr;
    }
  }
  ++entry.users;
  return entry.resource.get();
}

void ReleaseShared(const std::string& name) {
  auto found = Table().find(name);
  if (found == Table().end()) return;
  if (--found->second.users > 0) return;
  // Destroy outside the table: a resource may release others as it goes.
  std::unique_ptr<SharedResource> resource = std::move(found->second.resource);
  Table().erase(found);
  resource.reset();
}

int SharedUsers(const std::string& name) {
  auto found = Table().find(name);
  return found == Table().end() ? 0 : found->second.users;
}

bool AcquireButtonFaceBrush(SharedRef<SharedBrush>& ref) {
  return ref.Acquire(kBtnFaceBrushName, []() -> std::unique_ptr<SharedBrush> {
    // The system's own brush: a window class deletes an ordinary brush of its
    // background when it is unregistered, but never a system colour brush.
    HBRUSH brush = GetSysColorBrush(COLOR_BTNFACE);
    if (!brush) {
      ReportOsFailure("GetStockObject に失敗");
      return nullptr;
    }
    return std::make_unique<SharedBrush>(brush);
  });
}

namespace {

// One font per DPI in use: "VkControlFont@144".
bool AcquireFont(SharedRef<SharedFont>& ref, const char* name, UINT dpi, bool underline) {
  return ref.Acquire(FormatString("%s@%u", name, dpi), [&]() {
    auto font = std::make_unique<SharedFont>(kControlFontName, ScaleToDpi(kControlFontHeight, dpi), underline);
    return font->font.Handle() ? std::move(font) : nullptr;
  });
}

}  // namespace

bool AcquireControlFont(SharedRef<SharedFont>& ref, UINT dpi) { return AcquireFont(ref, "VkControlFont", dpi, false); }

bool AcquireLinkFont(SharedRef<SharedFont>& ref, UINT dpi) { return AcquireFont(ref, "VkLinkFont", dpi, true); }

SharedCursor::~SharedCursor() {
  if (owned_ && handle_ && !DestroyCursor(handle_)) ReportOsFailure("DestroyCursor に失敗");
}

bool AcquireHandCursor(SharedRef<SharedCursor>& ref) {
  return ref.Acquire("VkHandCursor", []() -> std::unique_ptr<SharedCursor> {
    bool system = SystemHasHandCursor();
    HCURSOR hand = system ? LoadCursorW(nullptr, IDC_HAND) : CopyHelpProgramHand();
    if (!hand) {
      if (system) ReportOsFailure("LoadCursor に失敗");
      ReportError("マウスカーソルの初期化に失敗");
      return nullptr;
    }
    return std::make_unique<SharedCursor>(hand, !system);
  });
}

bool AcquireAppIcon(SharedRef<SharedCursor>& ref) {
  return ref.Acquire(kAppIconName, []() -> std::unique_ptr<SharedCursor> {
    HICON icon = LoadIconW(GetModuleHandleW(nullptr), ShiftJisToWide(kAppIconName).c_str());
    if (!icon) icon = LoadIconW(nullptr, IDI_APPLICATION);
    if (!icon) {
      ReportError("アイコンの初期化に失敗");
      return nullptr;
    }
    // Icons loaded from resources are shared by the system and never destroyed.
    return std::make_unique<SharedCursor>(icon, false);
  });
}

std::unique_ptr<WindowClass> WindowClass::Register(const std::string& name, UINT style) {
  auto windowClass = std::unique_ptr<WindowClass>(new WindowClass);
  windowClass->name_ = ShiftJisToWide(name);
  AcquireAppIcon(windowClass->icon_);
  AcquireButtonFaceBrush(windowClass->brush_);
  WNDCLASSEXW info{};
  info.cbSize = sizeof info;
  info.style = style;
  info.lpfnWndProc = DefWindowProcW;
  info.hInstance = GetModuleHandleW(nullptr);
  info.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  info.hIcon = windowClass->icon_ ? windowClass->icon_->Handle() : nullptr;
  info.hIconSm = info.hIcon;
  info.hbrBackground = windowClass->brush_ ? windowClass->brush_->Handle() : nullptr;
  info.lpszClassName = windowClass->name_.c_str();
  if (!RegisterClassExW(&info)) {
    ReportOsFailure("RegisterClassEx() に失敗");
    return nullptr;
  }
  return windowClass;
}

WindowClass::~WindowClass() {
  if (!UnregisterClassW(name_.c_str(), GetModuleHandleW(nullptr))) ReportOsFailure("UnregisterWindowClass に失敗");
}

bool AcquireWindowClass(SharedRef<WindowClass>& ref, const std::string& name, UINT style) {
  return ref.Acquire(name, [&]() { return WindowClass::Register(name, style); });
}
