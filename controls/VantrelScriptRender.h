// Script renderers: colour a script text token by token into a view of a drawing surface.
// A renderer lives for one paint:
//   1. make the renderer of the language on the stack;
//   2. set mCanvas, mColors (the caller's table for that language), mView, mScrollX, mScrollY
//      and, optionally, mResume (prepared for this paint, settled after it);
//   3. paint(text);
//   4. optionally invertSelection(start, end) and, for C, getSymbols(list); read mFirstLine,
//      mLastLine, mLineStarts;
//   5. destroy it.
// A paint lexes from the first character (the C name sets and the line numbers depend on
// all text above the view) and stops at the first line below the view; given mResume, it
// continues from the editor's resume point instead when that lies at or above the view,
// and leaves a new point at the first visible line. The result is the same either way.
#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "controls/ScriptResume.h"
#include "controls/ScriptSurface.h"
#include "controls/ScriptToken.h"
#include "controls/SyntaxColors.h"
#include "platform/WinTypes.h"

// One coloured piece of text on the surface.
struct TokenRun {
  std::u16string tokenClass;  // a class name, or the keyword or symbol text itself
  int32_t left = 0;           // surface coordinates; left and right are set by placeRuns
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  const char16_t* text = nullptr;  // first character of the run in the painted text
  size_t length = 0;               // characters
};

class VantrelScriptRender {
 public:
  ScriptSurface* mCanvas = nullptr;  // drawn on and measured through; not owned
  SyntaxColors* mColors = nullptr;   // colour table of the language; not owned; addRun may add to it
  ScriptResume* mResume = nullptr;   // optional: the editor's resume point, prepared; not owned
  RECT mView{};                      // area to fill, surface coordinates
  int32_t mScrollX = 0;              // pixel scroll of the text inside mView
  int32_t mScrollY = 0;
  int32_t mFirstLine = 0;                // output: line at the view's top row, mScrollY / lineHeight + 1
  int32_t mLastLine = 0;                 // output: the lexer's line where it stopped, at least mFirstLine
  const char16_t* mTextStart = nullptr;  // the painted text
  // Starts of the recorded lines: always line 1 first, then every line that reaches into the
  // view, then one closing entry (the start of the first line below the view, or the end of
  // the text). mLineNumbers holds the line number of each entry.
  std::vector<const char16_t*> mLineStarts;
  std::vector<int32_t> mLineNumbers;
  // Runs that meet the view, grouped by colour in ascending colour order, each group in
  // filing order.
  std::map<COLORREF, std::vector<TokenRun>> mRunsByColour;

  VantrelScriptRender() = default;
  VantrelScriptRender(const VantrelScriptRender&) = delete;
  VantrelScriptRender& operator=(const VantrelScriptRender&) = delete;
  virtual ~VantrelScriptRender() = default;

  // Lexes and files the visible runs of `text` (the base files nothing). Needs mCanvas with
  // a measured font and mColors; `text` must stay unchanged while the renderer is used.
  virtual void render(const std::u16string& text);
  // render(text), then draws every filed run: per colour, ascending, one setTextColor and
  // one textOutTabs per run at (left, top + gapAbove). Changes nothing else on the surface.
  void paint(const std::u16string& text);
  // Files `run` under the colour of its class when it meets mView, else drops it. A class
  // missing from mColors is added to it with colour 0 (black).
  void addRun(TokenRun& run);
  // Sets left and right of each run of one line (x from mView.left - mScrollX at
  // `lineStart`, advancing by charWidthNoBreak), files them, empties `runs`.
  void placeRuns(const char16_t* lineStart, std::vector<TokenRun>& runs);
  // Inverts the selected part [selStart, selEnd) (indices into the painted text,
  // selStart <= selEnd <= its length) of every recorded line; a selected line feed shows
  // as a space-wide block. Rectangles that do not meet mView are skipped.
  void invertSelection(size_t selStart, size_t selEnd);

 protected:
  // State of the line being rendered.
  int32_t mLineTop = 0;                  // content y of the current line
  int32_t mLineNo = 0;                   // its number, 0 before the first token
  const char16_t* mLineStart = nullptr;  // its start, null before the first token
  std::vector<TokenRun> mLineRuns;       // its runs not yet placed

  // The common line frame of the renderers (defined in ScriptRenderFrame.h). `next` reads a
  // token from `lexer`. `visit(token, run)` is called for every token up to the stop; `run`
  // points to the token's run, to be given its tokenClass, or is null when the token makes
  // no run (its line is above the view, or it is a line break). visit returns true when it
  // has read the next token as a look-ahead; that token (lexer.cur) is visited next.
  template <class Lexer, class Next, class Visit>
  void renderLines(Lexer& lexer, Next next, Visit visit);

  // The state the class rules have accumulated over the lines above the current token, to
  // and from a resume point (the base keeps none).
  virtual void saveRules(ScriptResume& resume) const {}
  virtual void loadRules(const ScriptResume& resume) {}

  // The class of a token of any kind but TOKEN_NAME, TOKEN_NEWLINE and TOKEN_END.
  std::u16string commonClass(const ScriptToken& token) const;
  bool hasKey(const std::u16string& key) const { return mColors->count(key) != 0; }

 private:
  void recordLine(const char16_t* start, int32_t line);
  int32_t textWidth(const char16_t* from, const char16_t* to, bool noBreak);
};

// The text of a token.
inline std::u16string tokenText(const ScriptToken& token) { return std::u16string(token.begin, token.end); }
// True when `token` is a name with exactly this text.
bool isNameToken(const ScriptToken& token, std::u16string_view text);
// True when `token` is a symbol whose first character is `c`.
inline bool isSymbolStarting(const ScriptToken& token, char16_t c) {
  return token.kind == TOKEN_SYMBOL && token.begin != token.end && *token.begin == c;
}
