// The GDI+ flat calls the program makes: a Graphics on a DC sharing its
// pixels with GDI, solid ARGB fills blended source-over, linear gradients,
// and a clip taken from a GDI region. Drawing is limited to the DC's own
// clip (window clip and selected region) and, within that, to the Graphics'
// clip. Fills are aliased: a rectangle covers exactly its integer pixels.
#pragma once
#include "platform/WinTypes.h"

namespace Gdiplus {

enum Status {
  Ok = 0,
  GenericError = 1,
  InvalidParameter = 2,
  OutOfMemory = 3,
  ObjectBusy = 4,
  InsufficientBuffer = 5,
  NotImplemented = 6,
  Win32Error = 7,
  WrongState = 8,
  Aborted = 9,
  UnsupportedGdiplusVersion = 17,
  GdiplusNotInitialized = 18,
};

enum WrapMode {
  WrapModeTile = 0,
  WrapModeTileFlipX = 1,
  WrapModeTileFlipY = 2,
  WrapModeTileFlipXY = 3,
  WrapModeClamp = 4,
};

enum CombineMode {
  CombineModeReplace = 0,
  CombineModeIntersect = 1,
  CombineModeUnion = 2,
  CombineModeXor = 3,
  CombineModeExclude = 4,
  CombineModeComplement = 5,
};

using ARGB = DWORD;

struct GdiplusStartupInput {
  UINT GdiplusVersion = 1;  // 1 or 2
  void* DebugEventCallback = nullptr;
  BOOL SuppressBackgroundThread = FALSE;
  BOOL SuppressExternalCodecs = FALSE;
};

struct GdiplusStartupOutput {
  void* NotificationHook = nullptr;
  void* NotificationUnhook = nullptr;
};

// Starts the library (nesting allowed); each token is shut down once.
Status GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output);
void GdiplusShutdown(ULONG_PTR token);

}  // namespace Gdiplus

using GpStatus = Gdiplus::Status;
using GpWrapMode = Gdiplus::WrapMode;
using GpCombineMode = Gdiplus::CombineMode;
struct GpPoint {
  INT X, Y;
};
struct GpGraphics;
struct GpBrush;
struct GpSolidFill;
struct GpLineGradient;

// A Graphics drawing into the DC's surface; GdiplusNotInitialized before
// GdiplusStartup. The DC must outlive it.
GpStatus GdipCreateFromHDC(HDC dc, GpGraphics** graphics);
GpStatus GdipDeleteGraphics(GpGraphics* graphics);
GpStatus GdipCreateSolidFill(Gdiplus::ARGB color, GpSolidFill** brush);
// Colour c1 at p1 and c2 at p2, varying along p1 -> p2 and constant across
// it; a pixel (x, y) takes the value at its own coordinates, so the row of
// p1 is exactly c1. Beyond p2 the gradient repeats (tile) or mirrors (flip
// modes). Equal points fail with OutOfMemory, as the platform does.
GpStatus GdipCreateLineBrushI(const GpPoint* p1, const GpPoint* p2, Gdiplus::ARGB c1, Gdiplus::ARGB c2,
                              GpWrapMode wrap, GpLineGradient** brush);
GpStatus GdipDeleteBrush(GpBrush* brush);
// Fills x .. x + width - 1, y .. y + height - 1 (DC coordinates).
GpStatus GdipFillRectangleI(GpGraphics* graphics, GpBrush* brush, INT x, INT y, INT width, INT height);
// Replace or intersect the Graphics' clip with the region (DC coordinates);
// other modes are NotImplemented.
GpStatus GdipSetClipHrgn(GpGraphics* graphics, HRGN region, GpCombineMode mode);
GpStatus GdipResetClip(GpGraphics* graphics);
