// Blocking calls (message boxes, popup menus, file and folder dialogs) ask a
// hook before they block: headless, the test driver answers them from a
// script and records what was asked. Without a hook they block or cancel as
// their own code decides.
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/WinTypes.h"

namespace platform {

// One blocking call: its kind (the call's name, e.g. u"MessageBoxW"), the
// window that owns it and its arguments as texts.
struct BlockingCall {
  std::u16string kind;
  HWND owner = nullptr;
  std::vector<std::u16string> args;
};

// The answer: a result value (button id, command id, success flag) and any
// texts the call hands back (chosen paths). `later`: no answer yet, the user
// acted elsewhere first (the hook has queued that input); a dialog's modal
// loop (MessageBoxW, DialogBox*) delivers what is queued and asks again.
struct BlockingAnswer {
  LONG_PTR value = 0;
  std::vector<std::u16string> texts;
  bool later = false;
};

using BlockingHook = std::function<std::optional<BlockingAnswer>(const BlockingCall&)>;

// Installs the hook (null removes it); returns the previous one.
BlockingHook setBlockingHook(BlockingHook hook);
// Whether a hook is installed (headless runs under a test driver).
bool blockingHookInstalled();
// Asks the hook; nothing when there is none or it has no answer. A `later`
// answer comes back as it is to a dialog's modal loop (`modalLoop`) and as
// nothing to any other call.
std::optional<BlockingAnswer> askBlocking(const BlockingCall& call, bool modalLoop = false);

// An answer the call refused because a user could not have given it (a
// press of a disabled button): `why` says what was refused. The refusal
// hook (the test driver's) records it; without one it is dropped.
using RefusalHook = std::function<void(const BlockingCall&, const std::u16string& why)>;
RefusalHook setRefusalHook(RefusalHook hook);  // returns the previous one
void refuseAnswer(const BlockingCall& call, const std::u16string& why);

}  // namespace platform
