// Input-method composition for tests: what an input method sends while the
// user composes text, delivered at once (sent, in order) to the focus window:
// WM_IME_STARTCOMPOSITION; WM_IME_COMPOSITION with GCS_COMPSTR for each of
// `steps` (the composition string growing as typed); WM_IME_COMPOSITION
// with GCS_RESULTSTR carrying `result`; WM_IME_ENDCOMPOSITION. Pump queued
// input first, so that the focus is where that input leaves it. Returns the
// window the messages went to, null when nothing has the focus.
#pragma once
#include <string>
#include <vector>

#include "platform/user/User.h"

namespace testdriver {

HWND compose(const std::u16string& result, const std::vector<std::u16string>& steps = {});

}  // namespace testdriver
