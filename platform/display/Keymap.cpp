// Desktop keys to virtual keys, and characters from the desktop's keymap.
#include "platform/display/Keymap.h"

#include <gdk/gdkkeysyms.h>

#include "platform/user/Constants.h"

namespace platform::display {

namespace {

constexpr int VK_OEM_102 = 0xE2;  // the extra key beside the left Shift
constexpr int VK_SNAPSHOT = 0x2C;
constexpr int VK_SCROLL = 0x91;
constexpr int VK_LWIN = 0x5B;
constexpr int VK_RWIN = 0x5C;
constexpr int VK_SEPARATOR = 0x6C;

struct KeyPair {
  guint keyval;
  int vk;
};

// Keys that are the same in every layout.
constexpr KeyPair kFixed[] = {
    {GDK_KEY_BackSpace, VK_BACK},
    {GDK_KEY_Tab, VK_TAB},
    {GDK_KEY_ISO_Left_Tab, VK_TAB},
    {GDK_KEY_Return, VK_RETURN},
    {GDK_KEY_KP_Enter, VK_RETURN},
    {GDK_KEY_Escape, VK_ESCAPE},
    {GDK_KEY_space, VK_SPACE},
    {GDK_KEY_Page_Up, VK_PRIOR},
    {GDK_KEY_Page_Down, VK_NEXT},
    {GDK_KEY_End, VK_END},
    {GDK_KEY_Home, VK_HOME},
    {GDK_KEY_Left, VK_LEFT},
    {GDK_KEY_Up, VK_UP},
    {GDK_KEY_Right, VK_RIGHT},
    {GDK_KEY_Down, VK_DOWN},
    {GDK_KEY_Insert, VK_INSERT},
    {GDK_KEY_Delete, VK_DELETE},
    {GDK_KEY_KP_Page_Up, VK_PRIOR},
    {GDK_KEY_KP_Page_Down, VK_NEXT},
    {GDK_KEY_KP_End, VK_END},
    {GDK_KEY_KP_Home, VK_HOME},
    {GDK_KEY_KP_Left, VK_LEFT},
    {GDK_KEY_KP_Up, VK_UP},
    {GDK_KEY_KP_Right, VK_RIGHT},
    {GDK_KEY_KP_Down, VK_DOWN},
    {GDK_KEY_KP_Insert, VK_INSERT},
    {GDK_KEY_KP_Delete, VK_DELETE},
    {GDK_KEY_Pause, VK_PAUSE},
    {GDK_KEY_Print, VK_SNAPSHOT},
    {GDK_KEY_Scroll_Lock, VK_SCROLL},
    {GDK_KEY_Shift_L, VK_LSHIFT},
    {GDK_KEY_Shift_R, VK_RSHIFT},
    {GDK_KEY_Control_L, VK_LCONTROL},
    {GDK_KEY_Control_R, VK_RCONTROL},
    {GDK_KEY_Alt_L, VK_LMENU},
    {GDK_KEY_Alt_R, VK_RMENU},
    {GDK_KEY_Meta_L, VK_LMENU},
    {GDK_KEY_Meta_R, VK_RMENU},
    {GDK_KEY_ISO_Level3_Shift, VK_RMENU},
    {GDK_KEY_Super_L, VK_LWIN},
    {GDK_KEY_Super_R, VK_RWIN},
    {GDK_KEY_Menu, VK_APPS},
    {GDK_KEY_Caps_Lock, VK_CAPITAL},
    {GDK_KEY_Num_Lock, VK_NUMLOCK},
    {GDK_KEY_KP_Multiply, VK_MULTIPLY},
    {GDK_KEY_KP_Add, VK_ADD},
    {GDK_KEY_KP_Subtract, VK_SUBTRACT},
    {GDK_KEY_KP_Decimal, VK_DECIMAL},
    {GDK_KEY_KP_Separator, VK_SEPARATOR},
    {GDK_KEY_KP_Divide, VK_DIVIDE},
    {GDK_KEY_KP_0, VK_NUMPAD0},
    {GDK_KEY_KP_1, VK_NUMPAD0 + 1},
    {GDK_KEY_KP_2, VK_NUMPAD0 + 2},
    {GDK_KEY_KP_3, VK_NUMPAD0 + 3},
    {GDK_KEY_KP_4, VK_NUMPAD0 + 4},
    {GDK_KEY_KP_5, VK_NUMPAD0 + 5},
    {GDK_KEY_KP_6, VK_NUMPAD0 + 6},
    {GDK_KEY_KP_7, VK_NUMPAD0 + 7},
    {GDK_KEY_KP_8, VK_NUMPAD0 + 8},
    {GDK_KEY_KP_9, VK_NUMPAD0 + 9},
};

// Punctuation keys of the US layout.
constexpr KeyPair kPunctuation[] = {
    {GDK_KEY_semicolon, VK_OEM_1},    {GDK_KEY_equal, VK_OEM_PLUS},    {GDK_KEY_comma, VK_OEM_COMMA},
    {GDK_KEY_minus, VK_OEM_MINUS},    {GDK_KEY_period, VK_OEM_PERIOD}, {GDK_KEY_slash, VK_OEM_2},
    {GDK_KEY_grave, VK_OEM_3},        {GDK_KEY_bracketleft, VK_OEM_4}, {GDK_KEY_backslash, VK_OEM_5},
    {GDK_KEY_bracketright, VK_OEM_6}, {GDK_KEY_apostrophe, VK_OEM_7},  {GDK_KEY_less, VK_OEM_102},
};

int fixedKey(guint keyval) {
  if (keyval >= GDK_KEY_F1 && keyval <= GDK_KEY_F24) return VK_F1 + static_cast<int>(keyval - GDK_KEY_F1);
  for (const KeyPair& k : kFixed)
    if (k.keyval == keyval) return k.vk;
  return 0;
}

// Letters, digits and punctuation by the symbol the key gives unshifted.
int symbolKey(guint keyval) {
  guint lower = gdk_keyval_to_lower(keyval);
  if (lower >= GDK_KEY_a && lower <= GDK_KEY_z) return 'A' + static_cast<int>(lower - GDK_KEY_a);
  if (keyval >= GDK_KEY_0 && keyval <= GDK_KEY_9) return '0' + static_cast<int>(keyval - GDK_KEY_0);
  for (const KeyPair& k : kPunctuation)
    if (k.keyval == keyval) return k.vk;
  return 0;
}

guint unshifted(const GdkEventKey* e, int group) {
  guint keyval = 0;
  GdkKeymap* keymap = gdk_keymap_get_for_display(gdk_window_get_display(e->window));
  if (!gdk_keymap_translate_keyboard_state(keymap, e->hardware_keycode, GdkModifierType(0), group, &keyval, nullptr,
                                           nullptr, nullptr))
    return 0;
  return keyval;
}

// US positions of the main block by evdev key code (X key code - 8): the
// last resort for keys whose symbols say nothing.
int positionKey(int keycode) {
  static constexpr const char* kRows[] = {
      // 16..27: q w e r t y u i o p [ ]   30..40: a s d f g h j k l ; '   44..53: z x c v b n m , . /
      "QWERTYUIOP\xDB\xDD", "ASDFGHJKL\xBA\xDE", "ZXCVBNM\xBC\xBE\xBF"};
  int code = keycode - 8;
  if (code >= 2 && code <= 10) return '1' + (code - 2);
  if (code == 11) return '0';
  if (code == 12) return VK_OEM_MINUS;
  if (code == 13) return VK_OEM_PLUS;
  if (code == 41) return VK_OEM_3;
  if (code == 43) return VK_OEM_5;
  if (code == 86) return VK_OEM_102;
  struct Row {
    int first, last, index;
  };
  for (Row r : {Row{16, 27, 0}, Row{30, 40, 1}, Row{44, 53, 2}})
    if (code >= r.first && code <= r.last) return static_cast<unsigned char>(kRows[r.index][code - r.first]);
  return 0;
}

bool makesCharacter(int vk) {
  return (vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9') || vk == VK_SPACE ||
         (vk >= VK_OEM_1 && vk <= VK_OEM_3) || (vk >= VK_OEM_4 && vk <= VK_OEM_7) || vk == VK_OEM_102;
}

}  // namespace

int virtualKeyOf(const GdkEventKey* e) {
  if (int vk = fixedKey(e->keyval)) return vk;
  if (int vk = symbolKey(unshifted(e, e->group))) return vk;
  if (int vk = symbolKey(unshifted(e, 0))) return vk;
  return positionKey(e->hardware_keycode);
}

std::optional<char16_t> Keymap::character(int vk, int keycode, bool shift, bool capsLock, bool ctrl,
                                          bool alt) const {
  if (!keycode || !makesCharacter(vk)) return std::nullopt;
  if (ctrl != alt) return std::nullopt;  // Ctrl combinations and Alt's WM_SYSCHAR: the layer's table
  GdkDisplay* display = gdk_display_get_default();
  if (!display) return std::nullopt;
  GdkKeymap* keymap = gdk_keymap_get_for_display(display);
  int state = (shift ? GDK_SHIFT_MASK : 0) | (capsLock ? GDK_LOCK_MASK : 0);
  if (ctrl && alt) state |= GDK_MOD5_MASK;  // AltGr, which the layer sees as Ctrl+Alt
  guint keyval = 0;
  if (!gdk_keymap_translate_keyboard_state(keymap, static_cast<guint>(keycode), GdkModifierType(state), mGroup,
                                           &keyval, nullptr, nullptr, nullptr))
    return std::nullopt;
  gunichar ch = gdk_keyval_to_unicode(keyval);
  if (ctrl && alt && (!ch || keyval == gdk_keyval_to_lower(keyval))) {
    // A key without a third level makes nothing with AltGr.
    guint plain = 0;
    gdk_keymap_translate_keyboard_state(keymap, static_cast<guint>(keycode), GdkModifierType(0), mGroup, &plain,
                                        nullptr, nullptr, nullptr);
    if (plain == keyval) return char16_t{0};
  }
  if (!ch || ch > 0xFFFF) return std::nullopt;
  return static_cast<char16_t>(ch);
}

}  // namespace platform::display
