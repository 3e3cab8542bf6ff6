// Key states, the cursor position and shape, system cursors and icons, the
// caret, and the injection of raw input.
#include "platform/user/Input.h"
#include "platform/resources/Resources.h"

#include "platform/user/Desktop.h"
#include "platform/user/Inject.h"
#include "platform/user/State.h"
#include "platform/user/Window.h"

using namespace platform::user;

namespace {

// The generic key that a left/right modifier also sets, and back.
int genericOf(int vk) {
  switch (vk) {
    case VK_LSHIFT:
    case VK_RSHIFT: return VK_SHIFT;
    case VK_LCONTROL:
    case VK_RCONTROL: return VK_CONTROL;
    case VK_LMENU:
    case VK_RMENU: return VK_MENU;
    default: return vk;
  }
}

int sidedOf(int vk) {
  switch (vk) {
    case VK_SHIFT: return VK_LSHIFT;
    case VK_CONTROL: return VK_LCONTROL;
    case VK_MENU: return VK_LMENU;
    default: return vk;
  }
}

bool isToggle(int vk) { return vk == VK_CAPITAL || vk == VK_NUMLOCK; }

bool extendedKey(int vk) {
  return (vk >= VK_PRIOR && vk <= VK_DOWN) || vk == VK_INSERT || vk == VK_DELETE || vk == VK_DIVIDE ||
         vk == VK_RCONTROL || vk == VK_RMENU;
}

// The message of a keystroke. With Alt held (and Ctrl not), keys go down
// and up as WM_SYS*; the release of Alt itself is WM_SYSKEYUP only when no
// other key went down since Alt did (Alt alone selects the menu bar), and
// WM_KEYUP after Alt+key. F10 is always a WM_SYS* key. `alt` and `ctrl`
// are the states of those keys while the keystroke happens.
UINT keyMessage(int vk, bool isDown, bool alt, bool ctrl) {
  std::atomic<int>& track = state().lastSysKey;
  if (isDown) {
    bool sys = (alt && !ctrl) || vk == VK_F10;
    if (sys) track = vk;
    return sys ? WM_SYSKEYDOWN : WM_KEYDOWN;
  }
  if (vk == VK_F10) {
    track = 0;
    return WM_SYSKEYUP;
  }
  if (!alt || (vk != VK_MENU && vk != VK_CONTROL && ctrl)) return WM_KEYUP;
  bool sys = vk != VK_MENU || track == VK_MENU;
  track = 0;
  return sys ? WM_SYSKEYUP : WM_KEYUP;
}

bool down(const std::array<std::atomic<uint8_t>, 256>& keys, int vk) {
  return (keys[vk & 0xFF].load() & 0x80) != 0;
}

void applyAsync(int vk, bool isDown) {
  auto& keys = state().asyncKeys;
  for (int k : {vk, genericOf(vk), sidedOf(vk)}) {
    uint8_t v = keys[k & 0xFF].load();
    if (isDown && isToggle(k) && !(v & 0x80)) v ^= 0x01;
    keys[k & 0xFF].store(isDown ? (v | 0x80) : (v & ~0x80));
  }
}

void push(const InputEvent& e) {
  State& s = state();
  {
    std::lock_guard<std::mutex> lock(s.inputMutex);
    s.input.push_back(e);
  }
  wakeAllQueues();
}

WPARAM mouseKeyFlags() {
  auto& k = state().asyncKeys;
  WPARAM f = 0;
  if (down(k, VK_LBUTTON)) f |= MK_LBUTTON;
  if (down(k, VK_RBUTTON)) f |= MK_RBUTTON;
  if (down(k, VK_MBUTTON)) f |= MK_MBUTTON;
  if (down(k, VK_SHIFT)) f |= MK_SHIFT;
  if (down(k, VK_CONTROL)) f |= MK_CONTROL;
  return f;
}

int buttonOf(UINT message) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP: return VK_LBUTTON;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP: return VK_RBUTTON;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP: return VK_MBUTTON;
    default: return 0;
  }
}

bool isButtonDown(UINT message) {
  return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN;
}

struct SystemImage {
  WORD id;
  uintptr_t handle;
};
constexpr SystemImage kCursors[] = {{32512, 0x20010}, {32513, 0x20014}, {32514, 0x20018}, {32515, 0x2001C},
                                    {32516, 0x20020}, {32642, 0x20024}, {32643, 0x20028}, {32644, 0x2002C},
                                    {32645, 0x20030}, {32646, 0x20034}, {32648, 0x20038}, {32649, 0x2003C}};
constexpr SystemImage kIcons[] = {{32512, 0x30010}, {32513, 0x30014}, {32514, 0x30018},
                                  {32515, 0x3001C}, {32516, 0x30020}, {32517, 0x30024}};

template <size_t N>
uintptr_t systemImage(const SystemImage (&table)[N], HINSTANCE instance, LPCWSTR name) {
  if (instance || !IS_INTRESOURCE(name)) return 0;
  WORD id = static_cast<WORD>(reinterpret_cast<uintptr_t>(name));
  for (const auto& e : table)
    if (e.id == id) return e.handle;
  return 0;
}

}  // namespace

namespace platform::user {

void applySyncKey(int vk, bool isDown) {
  auto& keys = state().syncKeys;
  // Alt going down starts "alone" (its auto-repeat keeps it); any other key ends it.
  if (isDown) state().altAlone = genericOf(vk) == VK_MENU && (!(keys[VK_MENU] & 0x80) || state().altAlone);
  for (int k : {vk, genericOf(vk), sidedOf(vk)}) {
    uint8_t v = keys[k & 0xFF];
    if (isDown && isToggle(k) && !(v & 0x80)) v ^= 0x01;
    keys[k & 0xFF] = isDown ? (v | 0x80) : (v & ~0x80);
  }
}

}  // namespace platform::user

namespace platform {

void injectKey(int vk, bool isDown, int scan) {
  vk &= 0xFF;
  auto& keys = state().asyncKeys;
  bool wasDown = down(keys, vk);
  bool altBefore = down(keys, VK_MENU), ctrlBefore = down(keys, VK_CONTROL);
  applyAsync(vk, isDown);
  bool alt = isDown ? down(keys, VK_MENU) : altBefore;
  bool ctrl = isDown ? down(keys, VK_CONTROL) : ctrlBefore;
  InputEvent e;
  e.kind = InputEvent::Key;
  e.message = keyMessage(genericOf(vk), isDown, alt, ctrl);
  e.wParam = static_cast<WPARAM>(genericOf(vk));
  DWORD flags = 1 | (static_cast<DWORD>(scan & 0xFF) << 16);
  if (extendedKey(vk)) flags |= 1u << 24;
  if (alt) flags |= 1u << 29;
  if (wasDown || !isDown) flags |= 1u << 30;
  if (!isDown) flags |= 1u << 31;
  e.lParam = static_cast<LPARAM>(flags);
  e.time = tickNow();
  e.vk = vk;
  e.down = isDown;
  LONG x = state().cursorX, y = state().cursorY;
  e.pt = POINT{x, y};
  push(e);
}

void injectMouse(UINT message, POINT screen, int wheelDelta) {
  State& s = state();
  s.cursorX = screen.x;
  s.cursorY = screen.y;
  InputEvent e;
  e.kind = InputEvent::Mouse;
  e.message = message;
  e.pt = screen;
  e.time = tickNow();
  if (int button = buttonOf(message)) {
    e.vk = button;
    e.down = isButtonDown(message);
    applyAsync(button, e.down);
  }
  e.wParam = mouseKeyFlags();
  if (message == WM_MOUSEWHEEL || message == WM_MOUSEHWHEEL)
    e.wParam = MAKEWPARAM(e.wParam, static_cast<WORD>(static_cast<SHORT>(wheelDelta)));
  push(e);
}

void buttonReleasedUnseen(int vk) {
  applyAsync(vk, false);
  platform::user::applySyncKey(vk, false);
}

void injectChar(char16_t ch) {
  InputEvent e;
  e.kind = InputEvent::Char;
  e.message = WM_CHAR;
  e.wParam = ch;
  e.lParam = 1;
  e.time = tickNow();
  LONG x = state().cursorX, y = state().cursorY;
  e.pt = POINT{x, y};
  push(e);
}

void resetInput() {
  State& s = state();
  {
    std::lock_guard<std::mutex> lock(s.inputMutex);
    s.input.clear();
  }
  for (auto& k : s.asyncKeys) k.store(0);
  s.syncKeys.fill(0);
  s.asyncKeys[VK_NUMLOCK].store(0x01);
  s.syncKeys[VK_NUMLOCK] = 0x01;
  s.cursorX = 0;
  s.cursorY = 0;
  s.lastClick = MSG{};
  s.lastSysKey = 0;
}

CaretState caretState() {
  const Caret& c = state().caret;
  return CaretState{c.owner, c.width, c.height, c.pos, c.owner && c.hideCount == 0};
}

char16_t characterForKey(int vk, bool shift, bool caps, bool ctrl, bool alt) {
  return characterForKey(vk, 0, shift, caps, ctrl, alt);
}

char16_t characterForKey(int vk, int scan, bool shift, bool caps, bool ctrl, bool alt) {
  if (Desktop* d = desktop())
    if (auto ch = d->characterForKey(vk, scan, shift, caps, ctrl, alt)) return *ch;
  if (ctrl && alt) return 0;
  if (vk >= 'A' && vk <= 'Z') {
    if (ctrl) return static_cast<char16_t>(vk - 'A' + 1);
    return static_cast<char16_t>((shift != caps) ? vk : vk + 32);
  }
  if (vk >= '0' && vk <= '9') {
    if (ctrl) return 0;
    return shift ? u")!@#$%^&*("[vk - '0'] : static_cast<char16_t>(vk);
  }
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return ctrl ? 0 : static_cast<char16_t>(u'0' + (vk - VK_NUMPAD0));
  struct Oem {
    int vk;
    char16_t plain, shifted, control;
  };
  static constexpr Oem kKeys[] = {{VK_SPACE, u' ', u' ', u' '},  {VK_RETURN, 13, 13, 10},
                                  {VK_BACK, 8, 8, 127},          {VK_TAB, 9, 9, 0},
                                  {VK_ESCAPE, 27, 27, 27},       {VK_OEM_1, u';', u':', 0},
                                  {VK_OEM_PLUS, u'=', u'+', 0},  {VK_OEM_COMMA, u',', u'<', 0},
                                  {VK_OEM_MINUS, u'-', u'_', 0}, {VK_OEM_PERIOD, u'.', u'>', 0},
                                  {VK_OEM_2, u'/', u'?', 0},     {VK_OEM_3, u'`', u'~', 0},
                                  {VK_OEM_4, u'[', u'{', 27},    {VK_OEM_5, u'\\', u'|', 28},
                                  {VK_OEM_6, u']', u'}', 29},    {VK_OEM_7, u'\'', u'"', 0},
                                  {VK_MULTIPLY, u'*', u'*', 0},  {VK_ADD, u'+', u'+', 0},
                                  {VK_SUBTRACT, u'-', u'-', 0},  {VK_DECIMAL, u'.', u'.', 0},
                                  {VK_DIVIDE, u'/', u'/', 0}};
  for (const Oem& k : kKeys)
    if (k.vk == vk) return ctrl ? k.control : shift ? k.shifted : k.plain;
  return 0;
}

}  // namespace platform

SHORT GetAsyncKeyState(int vk) {
  return (state().asyncKeys[vk & 0xFF].load() & 0x80) ? static_cast<SHORT>(0x8000) : 0;
}

SHORT GetKeyState(int vk) {
  uint8_t v = state().syncKeys[vk & 0xFF];
  return static_cast<SHORT>(((v & 0x80) ? 0xFF80 : 0) | (v & 0x01));
}

BOOL GetCursorPos(POINT* point) {
  if (!point) return FALSE;
  *point = POINT{state().cursorX.load(), state().cursorY.load()};
  return TRUE;
}

BOOL SetCursorPos(int x, int y) {
  state().cursorX = x;
  state().cursorY = y;
  return TRUE;
}

HCURSOR SetCursor(HCURSOR cursor) {
  HCURSOR old = state().cursor;
  state().cursor = cursor;
  if (old != cursor)
    if (platform::Desktop* d = platform::desktop()) d->cursorChanged(cursor);
  return old;
}

HCURSOR GetCursor() { return state().cursor; }

HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name) {
  return reinterpret_cast<HCURSOR>(systemImage(kCursors, instance, name));
}

HICON LoadIconW(HINSTANCE instance, LPCWSTR name) {
  if (instance) return platform::resources::loadIcon(name);  // the program's own icons
  return reinterpret_cast<HICON>(systemImage(kIcons, instance, name));
}

UINT GetDoubleClickTime() { return 500; }

BOOL CreateCaret(HWND hwnd, HBITMAP, int width, int height) {
  if (!IsWindow(hwnd)) return FALSE;
  Caret& c = state().caret;
  c = Caret{hwnd, width, height, POINT{0, 0}, 1};
  return TRUE;
}

BOOL DestroyCaret() {
  Caret& c = state().caret;
  if (!c.owner) return FALSE;
  c = Caret{};
  return TRUE;
}

BOOL SetCaretPos(int x, int y) {
  Caret& c = state().caret;
  if (!c.owner) return FALSE;
  c.pos = POINT{x, y};
  return TRUE;
}

BOOL GetCaretPos(POINT* point) {
  const Caret& c = state().caret;
  if (!point || !c.owner) return FALSE;
  *point = c.pos;
  return TRUE;
}

BOOL ShowCaret(HWND hwnd) {
  Caret& c = state().caret;
  if (!c.owner || (hwnd && hwnd != c.owner)) return FALSE;
  if (c.hideCount > 0) --c.hideCount;
  return TRUE;
}

BOOL HideCaret(HWND hwnd) {
  Caret& c = state().caret;
  if (!c.owner || (hwnd && hwnd != c.owner)) return FALSE;
  ++c.hideCount;
  return TRUE;
}
