// The text editor control "Text2": a self-painted editor of one UTF-16 text with a caret, a
// selection, undo and redo, optional line numbers and scroll bars, a password mode and the
// colouring of exprtk, C and Python script text. It serves as the grid's in-place cell
// editor (cell-editor mode), as every document's script output window and as the
// system-script window.
//
// Sources: TextEditor.cpp (window, layout, caret, scrolling), TextEditorPaint.cpp,
// TextEditorMouse.cpp (hit testing, mouse, wheel, word selection) and TextEditorInput.cpp
// (keys, characters, editing, clipboard, setText / appendText).
//
// Coordinates: textRect and clientRect are client coordinates with the platform's exclusive
// right and bottom. A character's content position is (textRect.left + width of the line
// before it, textRect.top + line * lineHeight); on screen it is shifted by the scroll
// offsets. The line index mLines is kept in step with shownText by every change, so caret
// placement, hit testing and the content size cost one line, not the whole text.
//
// Invariants: caret <= shownText.size(); selection.start <= selection.end <= that size;
// in password mode shownText is one "*" per character of realText and the history is
// not used. Owners change the texts only through setText, appendText and the editing
// operations (never by assigning to shownText), or the line index goes stale. UI thread
// only.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "controls/Canvas.h"
#include "controls/ScriptResume.h"
#include "controls/SyntaxColors.h"
#include "controls/TextHistory.h"
#include "controls/TextLines.h"
#include "platform/windows.h"

// Colouring mode of the editor: the grid's script cell kinds 4, 5 and 6 map to 8, 9, 13.
enum TextLanguage : int32_t {
  TEXT_PLAIN = 0,
  TEXT_EXPRTK = 8,
  TEXT_C = 9,
  TEXT_PYTHON = 13,
};

class CCText {
 public:
  // Called with the commit key (or, on focus loss, the window that gets the focus) and the
  // text: the real text in password mode, else the shown text.
  using CommitFn = std::function<void(uint64_t, std::u16string*)>;
  using WheelFn = std::function<void(WPARAM, LPARAM)>;

  int32_t cellEditorMode = 0;     // 1: in-place cell editor, Enter and Tab commit
  int32_t language = TEXT_PLAIN;  // a TextLanguage; any other value paints as plain text
  uint8_t editable = 1;           // 0: read-only, no input changes the text
  uint8_t password = 0;           // the text is shown as "*"
  uint8_t escapeCancels = 1;      // Escape fires onCancel
  uint8_t multiLine = 1;          // 0: line feeds are removed from every input
  int32_t extraMargin = 32;       // added to the content width and height
  int32_t wheelStepX = 32;        // pixels per wheel notch with Shift
  int32_t wheelStepY = 64;        // pixels per wheel notch
  int32_t contentWidth = 0;       // widest line + extraMargin
  int32_t contentHeight = 0;      // lines' height + extraMargin
  int32_t scrollX = 0;            // scroll offsets in pixels, >= 0
  int32_t scrollY = 0;
  size_t caret = 0;          // caret index into shownText
  std::u16string realText;   // password mode: the typed characters
  std::u16string shownText;  // the text that is painted and edited
  bool lineNumbers = false;  // show the line-number gutter
  COLORREF backColour = 0xFFFFFF;
  COLORREF textColour = 0x3E4127;
  COLORREF gutterLineColour = 0xA5A5A5;
  COLORREF numberColour = 0xAF912B;
  int32_t gutterWidth = 48;
  int32_t scrollBars = 0;  // the control keeps scroll bars
  LOGFONTW font{};         // only height and face are used
  RECT textRect{};         // where text is drawn
  RECT clientRect{};       // client RECT with the insets added
  CCanvas canvas;
  HWND hwnd = nullptr;
  int32_t insets[4] = {0, 0, 0, 0};  // added to the client RECT's left, top, right, bottom
  TextSelection selection;
  SyntaxColors cColours, exprtkColours, pythonColours;
  TextHistory history;  // bound to caret, shownText and selection
  CommitFn onCommit;    // the editor hands its text over
  CommitFn onCancel;    // Escape
  WheelFn onWheel;      // a wheel notch the editor does not use

  CCText();
  ~CCText();
  CCText(const CCText&) = delete;
  CCText& operator=(const CCText&) = delete;

  // Makes the child window "Text2" (WS_CHILD | WS_VISIBLE | WS_TABSTOP, scroll bars when
  // `withScrollBars` is non-zero), binds it to this object and lays it out.
  void create(HWND parent, int32_t x, int32_t y, int32_t width, int32_t height, int32_t withScrollBars);
  // After the owner moved or resized the window: rectangles, scroll bars, a new canvas.
  void relayout();
  // clientRect = client RECT + insets; textRect = clientRect right of the gutter.
  void updateRects();
  // Widest line + extraMargin, lines' height (+ one line after a final line feed) +
  // extraMargin.
  SIZE textExtent() const;
  // After every change of the text: content size, scroll ranges and positions, rectangles.
  void onTextChanged();
  // Turning scroll bars off sets both ranges to 0..0.
  void setScrollBars(bool on);
  void updateScrollRanges();
  void updateScrollPos();

  // Screen-side position of the caret placed before `index` (client coordinates).
  POINT caretPoint(size_t index);
  // Index of the caret position nearest to a client point (see TextEditorMouse.cpp).
  size_t indexFromPoint(POINT point);
  // Creates and shows the caret when (x, y) or (x, y + height) lies in textRect.
  void showCaret(int32_t x, int32_t y, int32_t height);
  // Scrolls the caret into view, repaints, shows the caret. Ends every caret move or edit.
  void updateCaret();
  void scrollToCaret();
  // Moves a scroll offset by delta within the content; true when it moved and `redraw`.
  bool scrollH(int32_t delta, bool redraw);
  bool scrollV(int32_t delta, bool redraw);
  void onMouseWheel(WPARAM wParam, LPARAM lParam);
  // The word, punctuation run or blank run around `index` (double click); inside the text.
  std::pair<size_t, size_t> wordRange(size_t index) const;
  static int32_t charClass(char16_t c) { return textCharClass(c); }

  void paint(HDC hdc, RECT paintRect);
  void paintLineNumbers(int32_t first, int32_t last);

  // Input and editing.
  bool onKeyDown(WPARAM vk);
  bool onChar(WPARAM code);
  void insertText(const std::u16string& text);
  void backspace();
  void deleteChar();
  void copy();
  void paste();
  void setText(const std::u16string& text);
  void appendText(const std::u16string& text);
  static std::u16string filterBreaks(const std::u16string& text, bool keepLineFeeds);
  // Expansion of a typed text: indentation after a line feed in every editor, bracket and
  // quote pairs in script editors only. Returns the text and the caret's advance in it.
  std::pair<std::u16string, size_t> autoIndent(const std::u16string& typed) const;

  static LRESULT CALLBACK wndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  // The text handed to onCommit and onCancel.
  std::u16string* committedText() { return password ? &realText : &shownText; }
  bool isScriptLanguage() const { return language == TEXT_EXPRTK || language == TEXT_C || language == TEXT_PYTHON; }
  const TextLines& lines() const { return mLines; }
  int32_t lineHeight() const { return canvas.mLineHeight; }

 private:
  TextLines mLines;
  // Where the next script paint may continue lexing; told of every text change.
  ScriptResume mResume;
  // Indices of closers that bracket and quote pairing inserted and the caret has not yet
  // stepped over, ascending; kept in step with every text change.
  std::vector<size_t> mAutoClosers;

  ScriptSurface* measuringSurface();
  // Reports of the history (and of the password-mode edits) on a text replacement.
  void onReplaced(size_t pos, size_t removed, size_t inserted);
  void trackAutoClosers(size_t pos, size_t removed, size_t inserted);
  // True (and the caret stepped over it) when `typed` is a closer typed directly before an
  // auto-inserted one.
  bool stepOverCloser(const std::u16string& typed);
  void contentChanged();
  int32_t maxScrollX() const;
  int32_t maxScrollY() const;
  void setSelectionTo(size_t i);
  void clearSelection() { selection = TextSelection{}; }
  size_t lineStartOf(size_t i) const;
  size_t lineEndOf(size_t i) const;
  bool onCtrlKey(WPARAM vk);
  bool onShiftKey(WPARAM vk);
  void onPlainKey(WPARAM vk);
  void onTab();
  void passwordErase(size_t from, size_t to);
  void pageMove(bool down);
  void lineMove(bool down);
  void onScroll(int bar, int request);
  void onLButtonDown(POINT p, bool shift);
  void onMouseDrag(POINT p);
  void onDoubleClick(POINT p, bool shift);
  void onKillFocus(HWND next);
  // The input-method messages (TextEditorIme.cpp): true when `message` was one of them.
  bool handleIme(UINT message, LRESULT& result);
  void paintPlain(int32_t& first, int32_t& last);
  void paintScript(int32_t& first, int32_t& last);
  RECT inclusive(const RECT& r) const { return RECT{r.left, r.top, r.right - 1, r.bottom - 1}; }
};
