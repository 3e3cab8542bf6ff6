// TrackPopupMenu: the menu loop, answered by the blocking-call hook when the
// layer runs headless.
#include <string>

#include "platform/user/Blocking.h"
#include "platform/user/Desktop.h"
#include "platform/user/Menu.h"
#include "platform/user/MenuState.h"
#include "platform/user/Message.h"
#include "platform/user/Window.h"

using namespace platform::user;

namespace {

std::u16string number(long long v) {
  std::string s = std::to_string(v);
  return std::u16string(s.begin(), s.end());
}

// "id text" of every command that can be chosen, depth first.
void listChoices(HMENU menu, std::vector<std::u16string>& out) {
  Menu* m = findMenuObject(menu);
  if (!m) return;
  for (const MenuItem& item : m->items) {
    if (item.popup) listChoices(item.popup, out);
    else if (choosable(item)) out.push_back(number(item.id) + u" " + item.text);
  }
}

}  // namespace

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, const RECT*) {
  if (!findMenuObject(menu) || !IsWindow(owner)) return FALSE;
  if (!(flags & TPM_NONOTIFY)) {
    SendMessageW(owner, WM_INITMENU, reinterpret_cast<WPARAM>(menu), 0);
    SendMessageW(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
  }
  platform::BlockingCall call{u"TrackPopupMenu", owner, {number(x), number(y)}};
  listChoices(menu, call.args);
  UINT chosen = 0;
  platform::Desktop* desktop = platform::blockingHookInstalled() ? nullptr : platform::desktop();
  if (desktop) {
    chosen = desktop->trackPopupMenu(menu, POINT{x, y}, owner);
  } else if (auto answer = platform::askBlocking(call)) {
    UINT id = static_cast<UINT>(answer->value);
    MenuItem* item = id ? findCommand(menu, id) : nullptr;
    if (item && choosable(*item)) chosen = id;  // a greyed or absent item dismisses
  }
  if (flags & TPM_RETURNCMD) return static_cast<BOOL>(chosen);
  if (chosen) PostMessageW(owner, WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
  return TRUE;
}
