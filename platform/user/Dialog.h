// Dialog boxes: windows made from dialog templates (resources in dialog
// units), modal (DialogBoxParamW, with its own message loop and the owner
// disabled) and modeless (CreateDialogParamW), their default processing and
// the calls that address their controls by id.
//
// Dialog units: x units are a quarter of the dialog font's average
// character width, y units an eighth of its height (GetDialogBaseUnits for
// the default "MS Shell Dlg" 9 font; MapDialogRect for a dialog's own).
//
// Owners: a dialog created over a child window is owned by that window's
// top-level window, as on the platform; GetParent of the dialog returns it.
#pragma once
#include "platform/controls/Controls.h"
#include "platform/user/Types.h"

using DLGPROC = INT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

constexpr UINT WM_NEXTDLGCTL = 0x0028;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT DM_GETDEFID = WM_USER + 0;
constexpr UINT DM_SETDEFID = WM_USER + 1;
constexpr WORD DC_HASDEFID = 0x534B;

// The WM_GETDLGCODE answer of a control that wants every key message
// (the same bit as DLGC_WANTALLKEYS, which the controls' header has).
constexpr LRESULT DLGC_WANTMESSAGE = 0x0004;

// Dialog template styles.
constexpr DWORD DS_ABSALIGN = 0x0001;
constexpr DWORD DS_SYSMODAL = 0x0002;
constexpr DWORD DS_LOCALEDIT = 0x0020;
constexpr DWORD DS_SETFONT = 0x0040;
constexpr DWORD DS_MODALFRAME = 0x0080;
constexpr DWORD DS_NOIDLEMSG = 0x0100;
constexpr DWORD DS_SETFOREGROUND = 0x0200;
constexpr DWORD DS_3DLOOK = 0x0004;
constexpr DWORD DS_FIXEDSYS = 0x0008;
constexpr DWORD DS_NOFAILCREATE = 0x0010;
constexpr DWORD DS_CONTROL = 0x0400;
constexpr DWORD DS_CENTER = 0x0800;
constexpr DWORD DS_CENTERMOUSE = 0x1000;
constexpr DWORD DS_CONTEXTHELP = 0x2000;
constexpr DWORD DS_SHELLFONT = DS_SETFONT | DS_FIXEDSYS;

// Command ids of the standard buttons, also the results of MessageBoxW.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;
constexpr int IDCLOSE = 8;
constexpr int IDHELP = 9;
constexpr int IDTRYAGAIN = 10;
constexpr int IDCONTINUE = 11;
constexpr int IDC_STATIC = -1;

// Creates a modeless dialog from dialog resource `name`: the dialog and its
// controls (in template order, each sent WM_SETFONT with the dialog font),
// then WM_INITDIALOG (wParam = the first tab-stop control, lParam = `param`);
// a TRUE answer puts the focus on the first tab-stop control once the dialog
// is active. Shown (and activated) at the end when the template has
// WS_VISIBLE. Null when the template is missing or a control's class is
// not registered.
HWND CreateDialogParamW(HINSTANCE instance, LPCWSTR name, HWND parent, DLGPROC proc, LPARAM param);
inline HWND CreateDialogW(HINSTANCE instance, LPCWSTR name, HWND parent, DLGPROC proc) {
  return CreateDialogParamW(instance, name, parent, proc, 0);
}
// Runs a modal dialog: created as above (shown even without WS_VISIBLE), the
// owner disabled, then a message loop for every window of the thread (with
// IsDialogMessageW for the dialog) until EndDialog; the owner is enabled
// again before the dialog goes. Returns EndDialog's result, -1 when the
// dialog cannot be made. A WM_QUIT ends the loop and is posted again.
//
// Headless, each time the loop runs out of messages it asks the
// blocking-call hook: kind u"DialogBoxParamW", owner, args {template id,
// caption}; the dialog is the active window meanwhile. The answer's texts
// are applied to controls first ("1003=text" sets a control's text,
// "1000:1" / "1000:0" checks or clears a button), then its value, when not
// 0, is sent as WM_COMMAND (MAKEWPARAM(value, BN_CLICKED), control) as a
// click would. When a hook is installed but has no answer, the dialog gets
// IDCANCEL, and ends with -1 if that did not end it; without a hook the
// loop waits for input.
INT_PTR DialogBoxParamW(HINSTANCE instance, LPCWSTR name, HWND parent, DLGPROC proc, LPARAM param);
inline INT_PTR DialogBoxW(HINSTANCE instance, LPCWSTR name, HWND parent, DLGPROC proc) {
  return DialogBoxParamW(instance, name, parent, proc, 0);
}
// Modal: ends the loop with `result` (the owner is enabled and the dialog
// hidden at once, destroyed when the loop returns). Modeless: hides the
// dialog; destroying it is the caller's.
BOOL EndDialog(HWND dialog, INT_PTR result);
// The dialog class's window procedure: calls the dialog procedure, and does
// the default processing it leaves (WM_CLOSE posts IDCANCEL unless the
// Cancel button is disabled, the focus goes back to the last focused
// control on activation, DM_GETDEFID / DM_SETDEFID, WM_NEXTDLGCTL).
LRESULT DefDlgProcW(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Dialog keyboard processing for a message of the dialog or one of its
// controls: Tab / Shift+Tab move between tab stops, the arrows move within
// the focused control's group (an automatic radio button reached so is
// clicked), Enter clicks the focused push button or the default button (IDOK
// when there is none), Esc sends IDCANCEL — unless the control claims the key
// (WM_GETDLGCODE). Alt plus a control's underlined letter ("是(&Y)"), or the
// letter alone while a button has the focus, clicks that button (a push
// button keeps the focus where it is, a check box or radio button takes it)
// or, for a label, focuses the next tab stop after it. Every other message
// of the dialog is translated and dispatched here. TRUE when the message was
// the dialog's (the caller must not dispatch it again).
BOOL IsDialogMessageW(HWND dialog, LPMSG msg);

HWND GetDlgItem(HWND dialog, int id);
int GetDlgCtrlID(HWND control);
LRESULT SendDlgItemMessageW(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam);
BOOL SetDlgItemTextW(HWND dialog, int id, LPCWSTR text);
// NUL-terminated, cut to `size` units; 0 and an empty buffer when the
// control is missing.
UINT GetDlgItemTextW(HWND dialog, int id, LPWSTR buffer, int size);
BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned);
// Leading blanks, an optional '-' (signed only), decimal digits up to the
// first other character. 32-bit results: outside INT_MIN..INT_MAX (signed) or
// 0..UINT_MAX (unsigned), or with no digit, it fails (0, *translated FALSE).
UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned);
// BM_SETCHECK / BM_GETCHECK on the button (BST_UNCHECKED 0, BST_CHECKED 1).
BOOL CheckDlgButton(HWND dialog, int id, UINT check);
UINT IsDlgButtonChecked(HWND dialog, int id);
// Checks `check` and clears every other button with an id in first..last.
BOOL CheckRadioButton(HWND dialog, int first, int last, int check);
// The next (or previous) visible, enabled WS_TABSTOP control after
// `control`, wrapping; `control` null starts at the beginning.
HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous);
// The next (or previous) visible, enabled control of `control`'s group,
// wrapping inside the group: the controls from the nearest WS_GROUP control
// at or before it up to the next WS_GROUP control. `control` itself when the
// group has no other; null when it is not a control of the dialog.
HWND GetNextDlgGroupItem(HWND dialog, HWND control, BOOL previous);
// Dialog units of `dialog`'s font to pixels.
BOOL MapDialogRect(HWND dialog, RECT* rect);
// LOWORD: x base units, HIWORD: y base units of the default dialog font.
LONG GetDialogBaseUnits();
// The window rectangle that gives client rectangle `rect` for the styles.
BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL menu, DWORD exStyle);
