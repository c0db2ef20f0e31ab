// The POSIX side of OsError: the code is errno.
#include <cerrno>

#include "platform/os_error.h"

int LastSystemErrorCode() { return errno; }

bool IsNotFoundError(int code) { return code == ENOENT || code == ENOTDIR; }
