// Drawing calls of the window-system layer: DCs, bitmaps, pens, brushes,
// fonts, regions and clipping, lines, rectangles, text and icons, under the
// platform's names and with its pixel rules:
//  - rectangles passed to calls are exclusive on the right and bottom;
//  - LineTo leaves out its end point;
//  - Rectangle frames with the pen inside (l..r-1, t..b-1) and fills the
//    inside; with the null pen it fills l..r-2, t..b-2 (one pixel less on the
//    right and bottom than its exclusive rectangle);
//  - InvertRect inverts every colour bit, so twice restores the pixels;
//  - a selected clip region limits all drawing on the DC, GDI+ included
//    when the Graphics was given the same region.
// Calls are for the UI thread; they never throw. Invalid handles make a call
// fail (FALSE / null / 0) without touching anything.
#pragma once
#include "platform/WinTypes.h"
#include "platform/gdi/Surface.h"

// Stock objects.
constexpr int WHITE_BRUSH = 0;
constexpr int LTGRAY_BRUSH = 1;
constexpr int GRAY_BRUSH = 2;
constexpr int DKGRAY_BRUSH = 3;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int HOLLOW_BRUSH = NULL_BRUSH;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;
constexpr int SYSTEM_FONT = 13;
constexpr int DEFAULT_GUI_FONT = 17;

// Pen styles.
constexpr int PS_SOLID = 0;
constexpr int PS_NULL = 5;

// Background modes.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// Raster operations of BitBlt.
constexpr DWORD SRCCOPY = 0x00CC0020;

// Region results.
constexpr int ERROR = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;

// DrawTextW formats.
constexpr UINT DT_TOP = 0x0000;
constexpr UINT DT_LEFT = 0x0000;
constexpr UINT DT_CENTER = 0x0001;
constexpr UINT DT_RIGHT = 0x0002;
constexpr UINT DT_VCENTER = 0x0004;
constexpr UINT DT_BOTTOM = 0x0008;
constexpr UINT DT_SINGLELINE = 0x0020;
constexpr UINT DT_NOCLIP = 0x0100;
constexpr UINT DT_CALCRECT = 0x0400;
constexpr UINT DT_NOPREFIX = 0x0800;

// DrawIconEx flags.
constexpr UINT DI_MASK = 0x0001;
constexpr UINT DI_IMAGE = 0x0002;
constexpr UINT DI_NORMAL = 0x0003;
constexpr UINT DI_DEFAULTSIZE = 0x0008;

// Font weights, character sets, precisions, qualities, pitches.
constexpr int FW_DONTCARE = 0;
constexpr int FW_THIN = 100;
constexpr int FW_LIGHT = 300;
constexpr int FW_NORMAL = 400;
constexpr int FW_MEDIUM = 500;
constexpr int FW_SEMIBOLD = 600;
constexpr int FW_BOLD = 700;
constexpr BYTE ANSI_CHARSET = 0;
constexpr BYTE DEFAULT_CHARSET = 1;
constexpr BYTE GB2312_CHARSET = 134;
constexpr BYTE OUT_DEFAULT_PRECIS = 0;
constexpr BYTE CLIP_DEFAULT_PRECIS = 0;
constexpr BYTE DEFAULT_QUALITY = 0;
constexpr BYTE DEFAULT_PITCH = 0;
constexpr BYTE FF_DONTCARE = 0;
constexpr int LF_FACESIZE = 32;

struct LOGFONTW {
  LONG lfHeight;  // > 0: cell height in pixels; < 0: character (em) height; 0: default
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  WCHAR lfFaceName[LF_FACESIZE];
};

struct TEXTMETRICW {
  LONG tmHeight;
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;
  LONG tmExternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
  LONG tmWeight;
  LONG tmOverhang;
  LONG tmDigitizedAspectX;
  LONG tmDigitizedAspectY;
  WCHAR tmFirstChar;
  WCHAR tmLastChar;
  WCHAR tmDefaultChar;
  WCHAR tmBreakChar;
  BYTE tmItalic;
  BYTE tmUnderlined;
  BYTE tmStruckOut;
  BYTE tmPitchAndFamily;
  BYTE tmCharSet;
};

// DCs and bitmaps. A memory DC starts with a 1 x 1 stock bitmap selected;
// a compatible bitmap is 32-bit colour whatever the DC, black at first.
HDC CreateCompatibleDC(HDC dc);
BOOL DeleteDC(HDC dc);
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);

// Objects. SelectObject returns the object it replaced (for a region: the
// region kind, after copying it as the clip); null on failure. A bitmap can
// be selected into one memory DC at a time. DeleteObject refuses (FALSE)
// objects still selected into a DC; stock objects are never deleted.
HGDIOBJ GetStockObject(int index);
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
BOOL DeleteObject(HGDIOBJ object);
HPEN CreatePen(int style, int width, COLORREF color);
HBRUSH CreateSolidBrush(COLORREF color);
HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic, DWORD underline,
                  DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                  DWORD pitchAndFamily, LPCWSTR face);
HFONT CreateFontIndirectW(const LOGFONTW* font);

// DC state.
COLORREF SetTextColor(HDC dc, COLORREF color);  // returns the previous one
COLORREF GetTextColor(HDC dc);
COLORREF SetBkColor(HDC dc, COLORREF color);
COLORREF GetBkColor(HDC dc);
int SetBkMode(HDC dc, int mode);  // returns the previous mode, 0 on failure

// Regions and clipping. Region coordinates are DC coordinates.
HRGN CreateRectRgn(int left, int top, int right, int bottom);
int SelectClipRgn(HDC dc, HRGN region);  // copies it; null removes the clip region
int IntersectClipRect(HDC dc, int left, int top, int right, int bottom);
int GetClipBox(HDC dc, RECT* box);

// Drawing.
BOOL MoveToEx(HDC dc, int x, int y, POINT* previous);
BOOL LineTo(HDC dc, int x, int y);
BOOL Rectangle(HDC dc, int left, int top, int right, int bottom);
BOOL Polygon(HDC dc, const POINT* points, int count);
int FillRect(HDC dc, const RECT* rect, HBRUSH brush);
BOOL InvertRect(HDC dc, const RECT* rect);
BOOL BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop);

// Text. y is the top of the text cell; the background box (OPAQUE mode) is
// the text's extent by the font's height.
BOOL TextOutW(HDC dc, int x, int y, LPCWSTR text, int count);
BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int count, SIZE* size);
BOOL GetTextMetricsW(HDC dc, TEXTMETRICW* metrics);
// Formats: DT_SINGLELINE with DT_LEFT/CENTER/RIGHT and DT_TOP/VCENTER/BOTTOM,
// DT_NOCLIP, DT_NOPREFIX, DT_CALCRECT. Without DT_SINGLELINE the text breaks
// at line feeds (CR LF, LF or CR) and stacks from the top. Unless
// DT_NOPREFIX, "&x" underlines x and "&&" shows one "&". count -1 means up
// to the NUL. Returns the height of the text, 0 on failure.
int DrawTextW(HDC dc, LPCWSTR text, int count, RECT* rect, UINT format);

// Icons: our own images, 32-bit with straight alpha.
// createIconFromArgb copies width x height pixels 0xAARRGGBB (row-major).
HICON createIconFromArgb(int width, int height, const uint32_t* argb);
BOOL DestroyIcon(HICON icon);
// Size of an icon's image, {0, 0} for an invalid handle.
SIZE iconSize(HICON icon);
// Draws the icon scaled to width x height (0 = its own size) with source-over
// alpha at (x, y); DI_NORMAL, DI_IMAGE (alpha ignored) and DI_MASK (black
// where opaque).
BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int width, int height, UINT step, HBRUSH flickerFree, UINT flags);
