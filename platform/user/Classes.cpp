// Window classes: registration by name (ASCII case ignored) or atom.
#include "platform/user/Classes.h"

#include "platform/controls/Controls.h"

#include "platform/AsciiCase.h"
#include "platform/user/State.h"
#include "platform/user/Window.h"

namespace platform::user {

namespace {

bool sameName(const std::u16string& a, LPCWSTR b) { return equalNoCase(a, b); }

ATOM registerClass(const WindowClass& wc) {
  if (!wc.proc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (findClass(wc.name.c_str())) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  State& s = state();
  auto cls = std::make_shared<WindowClass>(wc);
  cls->atom = s.nextAtom++;
  s.classes.push_back(cls);
  return cls->atom;
}

std::u16string nameOf(LPCWSTR name) { return name && !IS_INTRESOURCE(name) ? name : u""; }

}  // namespace

std::shared_ptr<WindowClass> findClass(LPCWSTR name) {
  if (!name) return nullptr;
  for (auto& cls : state().classes) {
    if (IS_INTRESOURCE(name) ? cls->atom == static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(name))
                             : sameName(cls->name, name))
      return cls;
  }
  return nullptr;
}

}  // namespace platform::user

using namespace platform::user;

ATOM RegisterClassW(const WNDCLASSW* wc) {
  if (!wc) return 0;
  WNDCLASSEXW ex{};
  ex.cbSize = sizeof ex;
  ex.style = wc->style;
  ex.lpfnWndProc = wc->lpfnWndProc;
  ex.cbClsExtra = wc->cbClsExtra;
  ex.cbWndExtra = wc->cbWndExtra;
  ex.hInstance = wc->hInstance;
  ex.hIcon = wc->hIcon;
  ex.hCursor = wc->hCursor;
  ex.hbrBackground = wc->hbrBackground;
  ex.lpszMenuName = wc->lpszMenuName;
  ex.lpszClassName = wc->lpszClassName;
  return RegisterClassExW(&ex);  // no small icon
}

ATOM RegisterClassExW(const WNDCLASSEXW* wc) {
  if (!wc || !wc->lpszClassName || IS_INTRESOURCE(wc->lpszClassName)) return 0;
  WindowClass c;
  c.name = nameOf(wc->lpszClassName);
  c.style = wc->style;
  c.proc = wc->lpfnWndProc;
  c.instance = wc->hInstance;
  c.icon = wc->hIcon;
  c.smallIcon = wc->hIconSm;
  c.cursor = wc->hCursor;
  c.background = wc->hbrBackground;
  c.menuName = wc->lpszMenuName;
  return registerClass(c);
}

BOOL UnregisterClassW(LPCWSTR className, HINSTANCE) {
  auto cls = findClass(className);
  if (!cls) return FALSE;
  std::erase(state().classes, cls);  // windows of the class keep their copy alive
  return TRUE;
}

BOOL GetClassInfoW(HINSTANCE, LPCWSTR className, WNDCLASSW* out) {
  auto cls = findClass(className);
  if (!cls && platform::registerStandardControls()) cls = findClass(className);
  if (!cls || !out) return FALSE;
  *out = WNDCLASSW{cls->style,      cls->proc,     0,        0, cls->instance, cls->icon, cls->cursor,
                   cls->background, cls->menuName, className};
  return TRUE;
}
