// Velkora.exe: the windowed program. The command line is not interpreted.
#include <windows.h>

#include "app/application.h"

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/, int showCode) {
  return RunApplication(showCode);
}
