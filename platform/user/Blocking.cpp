// The hook that answers blocking calls.
#include "platform/user/Blocking.h"

#include <mutex>

#include "platform/user/Desktop.h"

namespace platform {

namespace {
std::mutex hookMutex;
BlockingHook& hook() {
  static auto* h = new BlockingHook;
  return *h;
}
RefusalHook& refusalHook() {
  static auto* h = new RefusalHook;
  return *h;
}
}  // namespace

BlockingHook setBlockingHook(BlockingHook next) {
  std::lock_guard<std::mutex> lock(hookMutex);
  BlockingHook previous = std::move(hook());
  hook() = std::move(next);
  return previous;
}

bool blockingHookInstalled() {
  std::lock_guard<std::mutex> lock(hookMutex);
  return static_cast<bool>(hook());
}

std::optional<BlockingAnswer> askBlocking(const BlockingCall& call, bool modalLoop) {
  BlockingHook h;
  {
    std::lock_guard<std::mutex> lock(hookMutex);
    h = hook();
  }
  if (h) {
    std::optional<BlockingAnswer> answer = h(call);
    if (answer && answer->later && !modalLoop) return std::nullopt;
    return answer;
  }
  if (Desktop* d = desktop()) return d->answer(call);  // native choosers, popup menus
  return std::nullopt;
}

RefusalHook setRefusalHook(RefusalHook next) {
  std::lock_guard<std::mutex> lock(hookMutex);
  RefusalHook previous = std::move(refusalHook());
  refusalHook() = std::move(next);
  return previous;
}

void refuseAnswer(const BlockingCall& call, const std::u16string& why) {
  RefusalHook h;
  {
    std::lock_guard<std::mutex> lock(hookMutex);
    h = refusalHook();
  }
  if (h) h(call, why);
}

}  // namespace platform
