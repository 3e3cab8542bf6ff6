#include "controls/ControlClass.h"

ATOM registerControlClass(LPCWSTR className, WNDPROC windowProcedure) {
  WNDCLASSW wc{};
  wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  wc.lpfnWndProc = windowProcedure;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = nullptr;
  wc.lpszMenuName = nullptr;
  wc.lpszClassName = className;
  return RegisterClassW(&wc);
}
