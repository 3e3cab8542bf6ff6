// Message boxes: a text, a caption and one of the platform's button sets,
// shown as a modal dialog (a STATIC and BUTTON controls), returning the id
// of the button pressed.
#pragma once
#include "platform/user/Types.h"

// Button sets.
constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_OKCANCEL = 0x00000001;
constexpr UINT MB_ABORTRETRYIGNORE = 0x00000002;
constexpr UINT MB_YESNOCANCEL = 0x00000003;
constexpr UINT MB_YESNO = 0x00000004;
constexpr UINT MB_RETRYCANCEL = 0x00000005;
constexpr UINT MB_CANCELTRYCONTINUE = 0x00000006;
constexpr UINT MB_TYPEMASK = 0x0000000F;
// Icons (not drawn).
constexpr UINT MB_ICONHAND = 0x00000010;
constexpr UINT MB_ICONERROR = MB_ICONHAND;
constexpr UINT MB_ICONSTOP = MB_ICONHAND;
constexpr UINT MB_ICONQUESTION = 0x00000020;
constexpr UINT MB_ICONEXCLAMATION = 0x00000030;
constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr UINT MB_ICONASTERISK = 0x00000040;
constexpr UINT MB_ICONINFORMATION = MB_ICONASTERISK;
// The default button (the one Enter presses and that has the focus).
constexpr UINT MB_DEFBUTTON1 = 0x00000000;
constexpr UINT MB_DEFBUTTON2 = 0x00000100;
constexpr UINT MB_DEFBUTTON3 = 0x00000200;
constexpr UINT MB_DEFBUTTON4 = 0x00000300;
constexpr UINT MB_DEFMASK = 0x00000F00;
constexpr UINT MB_APPLMODAL = 0x00000000;
constexpr UINT MB_SYSTEMMODAL = 0x00001000;
constexpr UINT MB_TASKMODAL = 0x00002000;
constexpr UINT MB_SETFOREGROUND = 0x00010000;
constexpr UINT MB_TOPMOST = 0x00040000;

// Shows the box over `owner` (its top-level window is disabled meanwhile;
// with no owner every window keeps taking input) and returns IDOK, IDCANCEL,
// IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO, IDTRYAGAIN or IDCONTINUE. Enter
// presses the default button; Esc and the close box give IDCANCEL when the
// set has a Cancel button, IDOK for MB_OK, and nothing otherwise. A null
// caption shows "错误".
//
// Headless the blocking-call hook answers: kind u"MessageBoxW", owner,
// args {text, caption, button set name such as u"MB_YESNOCANCEL"}, answer
// value = the button's id. An installed hook without an answer, or an id
// that is not one of the box's buttons, gives what Esc gives (0 for sets
// without a Cancel button). Without a hook the box waits for input.
int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
