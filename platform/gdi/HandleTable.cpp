// The registry of live GDI objects, which lets every call validate handles.
#include <mutex>
#include <unordered_set>

#include "platform/gdi/GdiObject.h"

namespace gdi {
namespace {

struct Registry {
  std::mutex lock;
  std::unordered_set<const void*> live;
};

// Constructed on first use and never destroyed, so objects made during static
// initialisation or released during static destruction still find it.
Registry& registry() {
  static Registry* r = new Registry;
  return *r;
}

}  // namespace

void registerObject(GdiObject* o) {
  Registry& r = registry();
  std::lock_guard<std::mutex> g(r.lock);
  r.live.insert(o);
}

void unregisterObject(GdiObject* o) {
  Registry& r = registry();
  std::lock_guard<std::mutex> g(r.lock);
  r.live.erase(o);
}

GdiObject* findObject(const void* h) {
  if (!h) return nullptr;
  Registry& r = registry();
  std::lock_guard<std::mutex> g(r.lock);
  return r.live.count(h) ? static_cast<GdiObject*>(const_cast<void*>(h)) : nullptr;
}

}  // namespace gdi
