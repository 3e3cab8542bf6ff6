// The program: the process-wide objects around the entry function.
#include "app/MainWindow.h"
#include "app/ProcessObjects.h"
#include "platform/windows.h"

int main() {
  startProcessObjects();
  const int code = wWinMain(GetModuleHandleW(nullptr), nullptr, GetCommandLineW(), SW_SHOWDEFAULT);
  endProcessObjects();
  return code;
}
