// Internal helpers the standard controls share: per-window state, parent
// notifications, the control font, colours and small drawing steps.
#pragma once
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/AsciiCase.h"
#include "platform/controls/Controls.h"
#include "platform/gdi/Gdi.h"
#include "platform/user/User.h"

namespace platform::controls {

// The state of every window of one control class, made at WM_NCCREATE and
// dropped at WM_NCDESTROY. Handles are never reused, so a stale look-up finds
// nothing rather than another window's state.
template <class T>
class Store {
 public:
  T* get(HWND hwnd) {
    auto it = mMap.find(hwnd);
    return it == mMap.end() ? nullptr : it->second.get();
  }
  T* make(HWND hwnd) { return (mMap[hwnd] = std::make_unique<T>()).get(); }
  void drop(HWND hwnd) { mMap.erase(hwnd); }

 private:
  std::unordered_map<HWND, std::unique_ptr<T>> mMap;
};

// WM_COMMAND (MAKEWPARAM(id, code), control) to the control's parent.
void notifyCommand(HWND control, WORD code);
// WM_NOTIFY to the parent with hdr's sender fields filled in.
LRESULT notifyParent(HWND control, NMHDR* hdr, UINT code);
int controlId(HWND control);

// The font a control draws with: the one WM_SETFONT gave, else the shared
// default ("MS Shell Dlg", 12 pixels, never deleted).
HFONT defaultFont();
inline HFONT fontOr(HFONT f) { return f ? f : defaultFont(); }

// Asks the parent for the background brush (WM_CTLCOLOR*); the parent may
// also set the text colour on `dc`. A parent that answers 0 leaves `fallback`.
HBRUSH askBrush(HWND control, HDC dc, UINT message, HBRUSH fallback);
inline HBRUSH sysBrush(int colorIndex) { return reinterpret_cast<HBRUSH>(static_cast<intptr_t>(colorIndex + 1)); }

inline void inflate(RECT& r, int d) { r.left -= d, r.top -= d, r.right += d, r.bottom += d; }
void fillRect(HDC dc, const RECT& r, COLORREF color);
void frameRect(HDC dc, const RECT& r, COLORREF color);  // one pixel inside r
void focusRect(HDC dc, const RECT& r);                  // dotted, one pixel inside r
void hLine(HDC dc, int x0, int x1, int y, COLORREF color);
void vLine(HDC dc, int x, int y0, int y1, COLORREF color);

// DrawTextW with the font and colour given, transparent background.
void drawLabel(HDC dc, std::u16string_view text, RECT r, UINT format, COLORREF color, HFONT font);
// A filled disc of diameter d with its top-left at (x, y).
void fillDisc(HDC dc, int x, int y, int d, COLORREF color);

// Draws the frame that WS_BORDER or WS_EX_CLIENTEDGE puts around the client
// area (nothing else paints a child's non-client area).
void paintBorder(HWND hwnd);

// Measures text with a control's font on a memory DC.
class Measure {
 public:
  explicit Measure(HFONT font);
  ~Measure();
  Measure(const Measure&) = delete;
  Measure& operator=(const Measure&) = delete;
  int width(std::u16string_view text) const;
  int height() const { return mHeight; }  // line height of the font
  // Offsets of every position 0..n in `text`: x[i] = width of text[0, i).
  std::vector<int> offsets(std::u16string_view text) const;
  HDC dc() const { return mDc; }

 private:
  HDC mDc;
  HGDIOBJ mOld;
  int mHeight;
};

// Lines of `text` no wider than `width`: breaks at line feeds, after blanks
// for Latin words, and between any two CJK characters.
std::vector<std::u16string> wrapText(const Measure& m, std::u16string_view text, int width);

// Text from a message's LPARAM string (null = empty).
inline std::u16string textArg(LPARAM lParam) {
  auto* s = reinterpret_cast<LPCWSTR>(lParam);
  return s ? std::u16string(s) : std::u16string();
}
// WM_GETTEXT-style copy: at most max - 1 units and a NUL; returns the units copied.
LRESULT copyOut(std::u16string_view text, WPARAM max, LPARAM buffer);

// The class name of a window (case as registered), empty when none.
std::u16string classOf(HWND hwnd);

// Registration of one control class (each control file provides one).
void registerClass(LPCWSTR name, WNDPROC proc, UINT style, LPCWSTR cursor);

}  // namespace platform::controls
