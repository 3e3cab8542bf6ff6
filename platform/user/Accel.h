// Keyboard accelerators: tables of keystrokes that stand for commands.
#pragma once
#include "platform/user/Types.h"

// ACCEL.fVirt flags.
constexpr BYTE FVIRTKEY = 0x01;
constexpr BYTE FNOINVERT = 0x02;
constexpr BYTE FSHIFT = 0x04;
constexpr BYTE FCONTROL = 0x08;
constexpr BYTE FALT = 0x10;

struct ACCEL {
  BYTE fVirt;  // FVIRTKEY: `key` is a virtual key; else a character
  WORD key;
  WORD cmd;
};
using LPACCEL = ACCEL*;

// The table of accelerator resource `name`; the same handle for every load
// (DestroyAcceleratorTable leaves loaded tables alone).
HACCEL LoadAcceleratorsW(HINSTANCE instance, LPCWSTR name);
HACCEL CreateAcceleratorTableW(const ACCEL* entries, int count);
BOOL DestroyAcceleratorTable(HACCEL table);
// Copies up to `count` entries (null: returns the number of entries).
int CopyAcceleratorTableW(HACCEL table, ACCEL* out, int count);

// Tries the message against the table, entries in order:
//  - a virtual-key entry matches WM_KEYDOWN / WM_SYSKEYDOWN of its key with
//    exactly its Ctrl, Alt and Shift states (the key states of the message);
//  - a character entry matches WM_CHAR of its character, or WM_SYSCHAR when
//    it has FALT.
// A match sends WM_COMMAND (MAKEWPARAM(cmd, 1), 0) to `hwnd` and returns
// nonzero: the caller neither translates nor dispatches the message. The
// command is swallowed (still nonzero, nothing sent) when `hwnd` is
// disabled, the mouse is captured, or `hwnd` is a top-level window whose
// menu has the command greyed or disabled.
int TranslateAcceleratorW(HWND hwnd, HACCEL table, LPMSG msg);
