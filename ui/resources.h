// Named resources shared by the windows of the program: window classes, the
// button-face brush, the control font, the cursors and the application icon.
// Each lives in one process-wide table, is created on first use and released
// when its last user goes.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "ui/gdi.h"

constexpr const char kStdClassName[] = "VkStdClassName";
constexpr const char kBtnFaceBrushName[] = "VkBtnFaceBrush";
// The icon resource of the executable (also the class icon of every window).
constexpr const char kAppIconName[] = "RES_ICON_EXE";

class SharedResource {
 public:
  virtual ~SharedResource() = default;
};

// Adds a user of the resource `name`, creating it with `make` when it does not
// exist yet. Returns null when `make` failed (it reports its own failure).
SharedResource* AcquireShared(const std::string& name,
                              const std::function<std::unique_ptr<SharedResource>()>& make);
// Removes a user; the last one destroys the resource.
void ReleaseShared(const std::string& name);
// How many users the resource has (0 when it does not exist).
int SharedUsers(const std::string& name);

// One user of a shared resource of type T, released when the reference goes.
template <class T>
class SharedRef {
 public:
  SharedRef() = default;
  ~SharedRef() { Reset(); }
  SharedRef(const SharedRef&) = delete;
  SharedRef& operator=(const SharedRef&) = delete;

  // Takes a user of `name`, creating it with `make` (a callable returning
  // std::unique_ptr<T>, null on failure) on first use. False when creation failed.
  template <class Make>
  bool Acquire(const std::string& name, Make make) {
    Reset();
    SharedResource* found = AcquireShared(name, [&]() -> std::unique_ptr<SharedResource> { return make(); });
    if (!found) return false;
    name_ = name;
    resource_ = static_cast<T*>(found);
    return true;
  }
  void Reset() {
    if (!resource_) return;
    resource_ = nullptr;
    ReleaseShared(name_);
  }
  T* get() const { return resource_; }
  T* operator->() const { return resource_; }
  explicit operator bool() const { return resource_ != nullptr; }

 private:
  std::string name_;
  T* resource_ = nullptr;
};

// The system's button-face colour brush; the background of dialog-style
// windows. The system owns it.
class SharedBrush : public SharedResource {
 public:
  explicit SharedBrush(HBRUSH handle) : handle_(handle) {}
  HBRUSH Handle() const { return handle_; }

 private:
  HBRUSH handle_;
};
bool AcquireButtonFaceBrush(SharedRef<SharedBrush>& ref);

// A font shared by all controls.
class SharedFont : public SharedResource {
 public:
  SharedFont(const char* face, int height, bool underline) : font(face, height, underline) {}
  Font font;
};
// "MS UI Gothic" at height 12 at 96 DPI, the font of every control, for a
// window at `dpi` (one shared font per DPI).
bool AcquireControlFont(SharedRef<SharedFont>& ref, UINT dpi);
// The same face underlined, for link texts.
bool AcquireLinkFont(SharedRef<SharedFont>& ref, UINT dpi);

// A cursor or icon; owned ones are destroyed with the resource.
class SharedCursor : public SharedResource {
 public:
  SharedCursor(HCURSOR handle, bool owned) : handle_(handle), owned_(owned) {}
  ~SharedCursor() override;
  HCURSOR Handle() const { return handle_; }

 private:
  HCURSOR handle_;
  bool owned_;
};
// The hand cursor of link texts: the system's own where it has one, else cursor
// 106 of the Windows help program, copied.
bool AcquireHandCursor(SharedRef<SharedCursor>& ref);
// The application icon "RES_ICON_EXE" of the executable (the system's default
// application icon when the executable has none).
bool AcquireAppIcon(SharedRef<SharedCursor>& ref);

// A registered window class. Registered with DefWindowProc as its procedure (the
// framework installs its own after creation), the shared arrow cursor, the
// application icon and the button-face brush; unregistered when released.
class WindowClass : public SharedResource {
 public:
  ~WindowClass() override;
  const std::wstring& Name() const { return name_; }

  // Registers `name` with the class style `style`; null after reporting
  // "RegisterClassEx() に失敗".
  static std::unique_ptr<WindowClass> Register(const std::string& name, UINT style);

 private:
  std::wstring name_;
  SharedRef<SharedCursor> icon_;
  SharedRef<SharedBrush> brush_;
};
// Takes a user of the class `name`, registering it with `style` on first use.
bool AcquireWindowClass(SharedRef<WindowClass>& ref, const std::string& name, UINT style);
