// Internal: class look-up for window creation.
#pragma once
#include <memory>

#include "platform/user/State.h"

namespace platform::user {
std::shared_ptr<WindowClass> findClass(LPCWSTR nameOrAtom);
}
