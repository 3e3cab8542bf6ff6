// The input method: one input context for the UI thread, shared by all its
// windows (as the platform's default context is), the composition window's placement,
// and the composition and result strings of the composition in progress.
//
// The messages of a composition reach the focus window in this order:
// WM_IME_STARTCOMPOSITION, WM_IME_COMPOSITION with GCS_COMPSTR for each
// step, WM_IME_COMPOSITION with GCS_RESULTSTR (wParam the result's first
// unit), WM_IME_ENDCOMPOSITION. The result string stays readable with
// ImmGetCompositionStringW(GCS_RESULTSTR) after the composition has ended -
// until the next one starts - so a window that re-posts the end message to
// another window lets that one read it too. Default processing of
// WM_IME_COMPOSITION with a result sends WM_IME_CHAR for each unit, whose
// default processing sends WM_CHAR; windows that handle the message
// themselves get no characters.
#pragma once
#include <string>
#include <vector>

#include "platform/user/Types.h"

constexpr UINT WM_IME_STARTCOMPOSITION = 0x010D;
constexpr UINT WM_IME_ENDCOMPOSITION = 0x010E;
constexpr UINT WM_IME_COMPOSITION = 0x010F;
constexpr UINT WM_IME_SETCONTEXT = 0x0281;
constexpr UINT WM_IME_NOTIFY = 0x0282;
constexpr UINT WM_IME_CHAR = 0x0286;

constexpr DWORD GCS_COMPREADSTR = 0x0001;
constexpr DWORD GCS_COMPSTR = 0x0008;
constexpr DWORD GCS_COMPATTR = 0x0010;
constexpr DWORD GCS_CURSORPOS = 0x0080;
constexpr DWORD GCS_RESULTREADSTR = 0x0200;
constexpr DWORD GCS_RESULTSTR = 0x0800;
constexpr DWORD GCS_RESULTCLAUSE = 0x1000;

constexpr DWORD CFS_DEFAULT = 0x0000;
constexpr DWORD CFS_RECT = 0x0001;
constexpr DWORD CFS_POINT = 0x0002;
constexpr DWORD CFS_FORCE_POSITION = 0x0020;

constexpr LONG IMM_ERROR_NODATA = -1;
constexpr LONG IMM_ERROR_GENERAL = -2;

struct COMPOSITIONFORM {
  DWORD dwStyle;
  POINT ptCurrentPos;  // client coordinates of the window that set it
  RECT rcArea;
};
using LPCOMPOSITIONFORM = COMPOSITIONFORM*;

// The input context (the same for every window);
// null for a window that does not exist.
HIMC ImmGetContext(HWND hwnd);
BOOL ImmReleaseContext(HWND hwnd, HIMC context);
BOOL ImmSetCompositionWindow(HIMC context, const COMPOSITIONFORM* form);
BOOL ImmGetCompositionWindow(HIMC context, COMPOSITIONFORM* form);
// GCS_COMPSTR or GCS_RESULTSTR: copies the string (no NUL) into `buffer`
// when `bytes` is not 0 and returns the bytes copied (cut to whole units);
// with `bytes` 0 returns the bytes needed. IMM_ERROR_NODATA for other
// indices, IMM_ERROR_GENERAL for a bad context.
LONG ImmGetCompositionStringW(HIMC context, DWORD index, LPVOID buffer, DWORD bytes);

namespace platform {

// What the input method (the test driver, or a display backend) calls.
// Starts a composition: the previous result is dropped.
void imeBegin();
void imeSetComposition(std::u16string text);
// The composition string becomes the result.
void imeSetResult(std::u16string text);
// The window the last ImmSetCompositionWindow was for, and its form.
struct CompositionWindow {
  HWND hwnd = nullptr;
  COMPOSITIONFORM form{};
  bool set = false;
};
CompositionWindow imeCompositionWindow();
// Default processing of WM_IME_COMPOSITION (DefWindowProcW).
void imeDefaultComposition(HWND hwnd, LPARAM lParam);
// Tests: forgets everything.
void imeReset();

}  // namespace platform
