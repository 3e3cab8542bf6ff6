// Everything the program calls of the window system, in one include: base
// types, the windowing and kernel calls, drawing (GDI and GDI+), the text and
// file shims.
#pragma once
#include "platform/CodePage.h"
#include "platform/Crt.h"
#include "platform/FileIo.h"
#include "platform/WinTypes.h"
#include "platform/controls/Controls.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdiplus/gdiplus.h"
#include "platform/resources/Resources.h"
#include "platform/user/User.h"
