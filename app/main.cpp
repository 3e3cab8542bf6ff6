// The program: the process-wide objects around the entry function.
#include "app/MainWindow.h"
#include "app/ProcessObjects.h"
#include "platform/display/Backend.h"
#include "platform/windows.h"

int main() {
  // The windows show on the desktop when there is one (headless when MORVEL_HEADLESS
  // asks for it or no display can be opened).
  platform::setDesktopOpener(platform::display::open);
  startProcessObjects();
  const int code = wWinMain(GetModuleHandleW(nullptr), nullptr, GetCommandLineW(), SW_SHOWDEFAULT);
  endProcessObjects();
  return code;
}
