// CCList, the control "List2": an owner-painted, scrollable list of rows, each with an
// optional check box, an optional icon, a text supplied by the owner and an optional grey
// count suffix. Mouse clicks, double clicks, the wheel and the scroll bars drive it; it
// has no keyboard interface. It paints only into its canvas and copies the invalid
// rectangle to the window on WM_PAINT.
//
// Owner: `new CCList`, create, fill `items`, set `itemText` (and `onCheck`, `onSelect`),
// refresh; after every later change of `items`, refresh. The owner deletes the list when
// its dialog closes. UI thread only.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "controls/Canvas.h"
#include "platform/windows.h"

// One row of a list.
struct ListItem2 {
  uint8_t checked = 0;   // check box state, 0 or 1
  uint8_t selected = 0;  // the row is highlighted, 0 or 1
  HICON icon = nullptr;  // null: the list's default icon
  int32_t value = 0;     // what the row stands for; read only by the owner's itemText
  size_t count = 0;      // number shown in the suffix
  double amount = 0;     // second number of the suffix: a count above 1, else a fraction 0..1

  // The suffix: "  ( amount / count )" with the amount truncated when amount > 1, else
  // "  ( count, amount×100 with two decimals% )". At most 253 characters.
  std::u16string countText() const;
};

class CCList {
 public:
  std::function<std::u16string(const ListItem2&)> itemText;  // must be set before the first paint
  int32_t margin = 3;                                        // left margin of the row content
  int32_t iconGap = 3;                                       // space after the check box and after the icon
  int32_t itemHeight = 20;                                   // height of every row (16 after create), > 0
  int32_t clickedIndex = -1;                                 // row of the last click, -1 = below the last row
  int32_t anchorIndex = -1;                                  // start row of a Shift range, -1 = none yet
  uint8_t doubleClickToggles = 0;               // a double click outside the check column toggles the check
  uint8_t showItemIcons = 0;                    // draw the row icons
  uint8_t showCheckBoxes = 1;                   // draw check boxes and react to the check column
  uint8_t multiSelect = 1;                      // Ctrl adds, Shift selects a range, a check applies to all selected
  uint8_t multiLine = 0;                        // draw every line of a row's text, not just its first
  uint8_t showCount = 1;                        // draw countText after the text
  int32_t scrollX = 0, scrollY = 0;             // scroll offsets in pixels, >= 0
  int32_t iconWidth = 16, iconHeight = 16;      // size of check-box images and row icons
  int32_t contentWidth = 0, contentHeight = 0;  // the scrollable content; the width grows while painting
  int32_t extraSpace = 30;                      // added to the content width and height
  int32_t wheelStepX = 30, wheelStepY = 80;     // pixels per wheel notch with Shift / without
  HICON checkedIcon = nullptr, uncheckedIcon = nullptr;  // check-box images (create loads them)
  HICON defaultIcon = nullptr;                           // icon of rows without one
  COLORREF textColour = 0x3E4127;
  COLORREF countColour = 0xA0A0A0;
  COLORREF backColour = 0xFFFFFF;
  COLORREF selectionTop = 0xFDF3E9, selectionBottom = 0xFCDDC5;  // gradient of a selected row
  COLORREF frameColour = 0xCEA27D;                               // one-pixel frame of a selected row
  LOGFONTW font{};                                               // only height and face are used
  RECT clientRect{};  // client area without scroll bars, taken at creation (kept)
  CCanvas canvas;
  HWND hwnd = nullptr;
  std::vector<ListItem2> items;                          // the rows, filled by the owner
  std::function<void(CCList&, int32_t index)> onCheck;   // after a check box changed
  std::function<void(CCList&, int32_t index)> onSelect;  // after every click outside the check column

  CCList();
  // Detaches the window (if it still exists) so that later messages reach no dead object.
  ~CCList();
  CCList(const CCList&) = delete;
  CCList& operator=(const CCList&) = delete;

  // Sets the create defaults (row height 16, icons, font), registers "List2" and creates
  // the child window at the given place in `parent`'s client area, stores the object in
  // GWLP_USERDATA, sets the scroll bars and begins the canvas on the client RECT.
  void create(HWND parent, int x, int y, int width, int height);
  // After the owner changed `items`: content size anew, scroll offsets clamped into the
  // content, both scroll bars updated, repainted.
  void refresh();
  // Flips the row's check and returns the new state; false for an index out of range.
  bool toggleCheck(int32_t index);
  // The row under the mouse cursor, -1 when the cursor is below the last row (or above
  // the first).
  int32_t itemAtCursor() const;
  // Whether the cursor's x lies in the check column (never without check boxes).
  bool isOnCheckColumn() const;
  // Scroll ranges 0..content with a page of the client size + 1; then the positions.
  void updateScrollRanges();
  void updateScrollPos();
  // Paints the visible rows into the canvas and copies `paintRect` to `hdc`. Grows
  // contentWidth to the widest row painted.
  void paint(HDC hdc, RECT paintRect);
  // A left click at the cursor: focus, the check column or selection, the callbacks.
  void onClick();

  static LRESULT CALLBACK wndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  int32_t clientWidth() const { return clientRect.right - clientRect.left; }
  int32_t clientHeight() const { return clientRect.bottom - clientRect.top; }
  // The largest scroll offset: content - client - 1, and 0 when that is negative.
  static int32_t scrollLimit(int32_t content, int32_t client);
  // Draws one row whose top and bottom (inclusive) are given; returns its width.
  int32_t paintRow(const ListItem2& item, int32_t top, int32_t bottom);
  void selectClicked(bool shift, bool ctrl);
  void onScroll(int bar, int request);
  void onWheel(int delta);
  void onDoubleClick();
  // Width of a text's first line (up to a line feed) by charWidth.
  int32_t firstLineWidth(const std::u16string& text);
};
