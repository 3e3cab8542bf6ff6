// CCTab, the document tab strip "Tab2" of the main window, and its one instance gTabStrip.
// The strip window fills the main window's client area; the strip is its top row (29
// pixels) and every document's "Grid2" window is a child of the strip below that row, so
// that the grids' WM_TAB_MODIFIED notifications reach it. The strip owns one CTabData per
// open document in tab order, knows the current tab, paints the row (tabs, titles, close
// buttons, scroll buttons) into its canvas, answers the tooltip's text requests, and adds,
// activates, closes, renames and finds tabs for the shell and the script callbacks.
//
// The main window creates the strip window, its tooltip and drag-and-drop acceptance,
// begins the canvas on the row's RECT on every resize and sets its font and text colour.
// UI thread only.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "controls/Canvas.h"
#include "platform/windows.h"

class CGrid;

// Posted by a grid's command manager to the strip: wParam the grid window, lParam non-zero
// when the document has unsaved changes.
constexpr UINT WM_TAB_MODIFIED = WM_USER + 1;

// What lies under the mouse cursor on the strip.
struct TabHit {
  enum Kind : int32_t { Nothing = 0, CloseButton = 1, ScrollLeft = 2, ScrollRight = 3, Body = 4 };
  int32_t index = 0;  // tab index for CloseButton and Body, else -1 (0 before the first hit test)
  int32_t kind = Nothing;
  RECT rect{};  // the tab body, or the scroll-button area; client coordinates, inclusive
};

class CCTab {
 public:
  // One tab; the strip's vector owns a copy of what addTab was given.
  struct CTabData {
    std::u16string title;                       // shown on the tab; unique among the tabs when made by uniqueTitle
    std::u16string path;                        // the document's file, empty for a new document
    uint8_t modified = 0;                       // unsaved changes: "*" follows the title
    HWND gridWindow = nullptr;                  // the document's "Grid2" window, shown only while current
    uint8_t active = 0;                         // the tab is the current one
    CGrid* document = nullptr;                  // the document object
    std::function<void(CTabData&)> onAdd;       // by addTab, before the tab is stored
    std::function<void(CTabData&)> onActivate;  // the tab has just become current
    std::function<void(CTabData&)> onDeactivate;  // the tab stops being current
    std::function<bool(CTabData&)> onCloseQuery;  // asked by closeTab; false keeps the tab
  };

  HWND hwnd = nullptr;               // the strip window, set by the main window
  int32_t separatorWidth = 15;       // the left edge piece and every separator
  int32_t tabWidth = 178;            // every tab body
  int32_t leftMargin = 5;            // space left of the first piece
  int32_t buttonOffset = 3;          // scroll buttons start this far right of the button area
  int32_t buttonArea = 40;           // width kept at the right for the two scroll buttons
  int32_t height = 29;               // the strip row
  COLORREF borderColour = 0xB5B5B5;  // the line under the row
  int32_t current = -1;              // the current tab, -1 = none; always -1 or a valid index
  int32_t firstVisible = 0;          // the leftmost drawn tab; 0 or a valid index
  COLORREF textColour = 0x373737;    // title text (set on the canvas by the main window)
  HWND tooltip = nullptr;            // the tooltip control (TTF_SUBCLASS, text by callback), may be null
  TabHit hover;                      // the last hit under the mouse
  LOGFONTW font{};                   // "宋体" 12; the main window makes the canvas font from it
  std::array<HICON, 18> icons{};     // the pieces of the row: icon resource 153 + i
  std::vector<CTabData> tabs;        // the tabs in order
  CCanvas canvas;                    // begun on the row's RECT (client RECT, bottom = top + height - 1)
  // Files dropped on the strip (WM_DROPFILES), set by the shell; unset, the drop is released.
  std::function<void(HDROP)> onDropFiles;

  CCTab();
  CCTab(const CCTab&) = delete;
  CCTab& operator=(const CCTab&) = delete;

  // onAdd(tab) when set, a copy appended, the new last tab activated.
  void addTab(CTabData tab);
  // Makes tab `index` current: the old current tab loses its active flag, its grid window
  // is hidden and onDeactivate is called; then the new one gets the flag, its window is
  // shown (and the keyboard focus, when the focus was on the strip or a window in it) and
  // onActivate is called; the row is repainted. Activating the current tab hides and
  // shows it again. Nothing for an index out of range.
  void activate(int32_t index);
  // Closes tab `index` unless its onCloseQuery says false. Closing the current tab makes
  // the next tab current (the previous one when it was the last; none when it was the
  // only one), with onActivate but without onDeactivate for the closing tab, whose window
  // is left to onCloseQuery. firstVisible is pulled back to stay within the tabs. With no
  // tab left the area below the row is painted white. Nothing for an index out of range.
  void closeTab(int32_t index);
  // The current tab's path = path, its title = the path's file name; the row repainted.
  // Nothing without a current tab.
  void renameCurrent(const std::u16string& path);
  // `title` when no tab has it, else title + 1, 2, 3 ..., the first that no tab has.
  std::u16string uniqueTitle(const std::u16string& title) const;
  // The first tab whose path is `path` (exact, case-sensitive); -1 when none.
  int32_t findByPath(const std::u16string& path) const;
  // The first tab whose title is `title` (exact); null when none.
  CTabData* findByTitle(const std::u16string& title);
  // What lies under the mouse cursor now.
  TabHit hitTest() const;
  // Invalidates the row (no erase).
  void invalidate();
  // Paints the row into the canvas and copies `rcPaint` to `hdc`.
  void paint(HDC hdc, RECT rcPaint);
  // The tooltip's text for a hit: "关闭文件", "前一个标签", "后一个标签", the tab's title
  // (cut to 79 characters), nothing over no part.
  std::u16string tooltipText(const TabHit& hit) const;

  // Window procedure of "Tab2". It serves the CCTab stored in the window's GWLP_USERDATA
  // and gTabStrip when none is stored. While gInputEnabled is cleared, clicks (close
  // buttons, scroll buttons, tabs) and the wheel are ignored.
  static LRESULT CALLBACK wndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  HICON icon(int resource) const { return icons[resource - 153]; }
  // Whether the tabs from firstVisible on fail to fit the tab area of client width
  // `left`..`right`.
  bool overflows(LONG left, LONG right) const;
  // The first tab whose grid window is `gridWindow`, null when none.
  CTabData* tabOfWindow(HWND gridWindow);
  void showCurrent();  // active flag, window shown, onActivate for tabs[current]
  void focusCurrent();
  void onMouseMove();
  void onButtonUp();
  LRESULT onNotify(LPARAM lParam);
  void clearBelowRow();
  void paintTabs(const RECT& client);
  void paintScrollButtons(const RECT& client);
};

// The one tab strip of the program, constructed before the entry function runs.
extern CCTab gTabStrip;
