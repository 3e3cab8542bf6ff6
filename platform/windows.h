// Everything the program calls of the window system, in one include: base
// types, the windowing and kernel calls, drawing (GDI and GDI+), the text and
// file shims.
#pragma once
#include "platform/wintypes.h"
#include "platform/codepage.h"
#include "platform/controls/controls.h"
#include "platform/crt.h"
#include "platform/fileio.h"
#include "platform/gdi/gdi.h"
#include "platform/gdiplus/gdiplus.h"
#include "platform/user/user.h"
