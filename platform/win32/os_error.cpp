// The Windows side of OsError: the code is GetLastError().
#include <windows.h>

#include "platform/os_error.h"

int LastSystemErrorCode() { return static_cast<int>(GetLastError()); }

bool IsNotFoundError(int code) { return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND; }
