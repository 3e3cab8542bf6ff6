// The common controls the program uses: the progress bar, the tooltip and
// the link control, with WM_NOTIFY and its structures. Layouts follow the
// platform's 64-bit layouts (TOOLINFOW is 72 bytes).
#pragma once
#include "platform/user/Types.h"

constexpr UINT WM_NOTIFY = 0x004E;

struct NMHDR {
  HWND hwndFrom;
  UINT_PTR idFrom;
  UINT code;
};
using LPNMHDR = NMHDR*;

// Generic notification codes (NMHDR.code).
constexpr UINT NM_CLICK = 0U - 2U;
constexpr UINT NM_DBLCLK = 0U - 3U;
constexpr UINT NM_RETURN = 0U - 4U;
constexpr UINT NM_RCLICK = 0U - 5U;

#define PROGRESS_CLASSW u"msctls_progress32"
#define TOOLTIPS_CLASSW u"tooltips_class32"
#define WC_LINK u"SysLink"

// Progress bar.
constexpr DWORD PBS_SMOOTH = 0x01;
constexpr DWORD PBS_VERTICAL = 0x04;
constexpr UINT PBM_SETRANGE = WM_USER + 1;  // lParam: MAKELPARAM(low, high), 16-bit each
constexpr UINT PBM_SETPOS = WM_USER + 2;    // returns the previous position
constexpr UINT PBM_DELTAPOS = WM_USER + 3;
constexpr UINT PBM_SETSTEP = WM_USER + 4;
constexpr UINT PBM_STEPIT = WM_USER + 5;
constexpr UINT PBM_SETRANGE32 = WM_USER + 6;  // wParam low, lParam high
constexpr UINT PBM_GETRANGE = WM_USER + 7;    // wParam TRUE: low, else high; lParam PBRANGE*
constexpr UINT PBM_GETPOS = WM_USER + 8;
constexpr UINT PBM_SETBARCOLOR = WM_USER + 9;
constexpr UINT PBM_GETSTEP = WM_USER + 13;
struct PBRANGE {
  int iLow;
  int iHigh;
};

// Tooltip.
constexpr DWORD TTS_ALWAYSTIP = 0x01;
constexpr DWORD TTS_NOPREFIX = 0x02;
constexpr DWORD TTS_BALLOON = 0x40;
constexpr UINT TTF_IDISHWND = 0x0001;
constexpr UINT TTF_CENTERTIP = 0x0002;
constexpr UINT TTF_SUBCLASS = 0x0010;
constexpr UINT TTF_TRANSPARENT = 0x0100;
constexpr UINT TTF_DI_SETITEM = 0x8000;
constexpr UINT TTM_ACTIVATE = WM_USER + 1;
constexpr UINT TTM_SETDELAYTIME = WM_USER + 3;
constexpr UINT TTM_RELAYEVENT = WM_USER + 7;
constexpr UINT TTM_GETTOOLCOUNT = WM_USER + 13;
constexpr UINT TTM_SETMAXTIPWIDTH = WM_USER + 24;
constexpr UINT TTM_POP = WM_USER + 28;
constexpr UINT TTM_ADDTOOLW = WM_USER + 50;
constexpr UINT TTM_DELTOOLW = WM_USER + 51;
constexpr UINT TTM_NEWTOOLRECTW = WM_USER + 52;
constexpr UINT TTM_GETTEXTW = WM_USER + 56;
constexpr UINT TTM_UPDATETIPTEXTW = WM_USER + 57;
constexpr WPARAM TTDT_AUTOMATIC = 0;
constexpr WPARAM TTDT_RESHOW = 1;
constexpr WPARAM TTDT_AUTOPOP = 2;
constexpr WPARAM TTDT_INITIAL = 3;
constexpr UINT TTN_FIRST = 0U - 520U;
constexpr UINT TTN_GETDISPINFOW = TTN_FIRST - 10;
constexpr UINT TTN_NEEDTEXTW = TTN_GETDISPINFOW;
constexpr UINT TTN_SHOW = TTN_FIRST - 1;
constexpr UINT TTN_POP = TTN_FIRST - 2;
#define LPSTR_TEXTCALLBACKW (reinterpret_cast<LPWSTR>(static_cast<intptr_t>(-1)))

struct TOOLINFOW {
  UINT cbSize;
  UINT uFlags;
  HWND hwnd;     // the window the tool is in (the notifications go there)
  UINT_PTR uId;  // the tool's id, or its window with TTF_IDISHWND
  RECT rect;     // the tool's area in hwnd's client coordinates
  HINSTANCE hinst;
  LPWSTR lpszText;  // the text, or LPSTR_TEXTCALLBACKW to ask with TTN_GETDISPINFOW
  LPARAM lParam;
  void* lpReserved;
};
using TTTOOLINFOW = TOOLINFOW;
static_assert(sizeof(TOOLINFOW) == 72, "the platform's 64-bit layout");

struct NMTTDISPINFOW {
  NMHDR hdr;
  LPWSTR lpszText;  // where the text is: szText, another string, or null
  WCHAR szText[80];
  HINSTANCE hinst;
  UINT uFlags;
  LPARAM lParam;
};

// Link control.
constexpr DWORD LWS_TRANSPARENT = 0x0001;
constexpr DWORD LWS_IGNORERETURN = 0x0002;
constexpr int MAX_LINKID_TEXT = 48;
constexpr int L_MAX_URL_LENGTH = 2048 + 32 + 4;
constexpr UINT LIF_ITEMINDEX = 0x1;
constexpr UINT LIF_STATE = 0x2;
constexpr UINT LIF_ITEMID = 0x4;
constexpr UINT LIF_URL = 0x8;
constexpr UINT LIS_FOCUSED = 0x1;
constexpr UINT LIS_ENABLED = 0x2;
constexpr UINT LIS_VISITED = 0x4;
constexpr UINT LM_GETITEM = WM_USER + 0x303;
struct LITEM {
  UINT mask;
  int iLink;
  UINT state;
  UINT stateMask;
  WCHAR szID[MAX_LINKID_TEXT];
  WCHAR szUrl[L_MAX_URL_LENGTH];
};
struct NMLINK {
  NMHDR hdr;
  LITEM item;
};

// No-op: the layer registers the common controls itself.
inline void InitCommonControls() {}
