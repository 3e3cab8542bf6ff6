#include "controls/ControlClass.h"

void registerControlClass(const char16_t* className, WNDPROC windowProcedure) {
  WNDCLASSW wc{};
  wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  wc.lpfnWndProc = windowProcedure;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = nullptr;
  wc.lpszMenuName = nullptr;
  wc.lpszClassName = className;
  RegisterClassW(&wc);  // 0 when the name is taken: the earlier class stays
}
