// Input-method compositions: the messages a focused window gets, the
// composition window it places, the result string read at the end - also by
// a second window to which the first re-posts the end message, as the grid
// does for its in-place editor - and default processing turning the result
// into characters.
#include "platform/testdriver/Ime.h"
#include "tests/platform/controls/ControlsFixture.h"

using namespace ctltest;

namespace {

// Windows that handle the input method the way the grid and the text
// editor do: no default processing of the composition messages.
struct ImeWindows {
  static inline std::vector<UINT> seen;
  static inline std::vector<std::u16string> results;  // read on WM_IME_ENDCOMPOSITION by the editor
  static inline HWND editor = nullptr;
  static inline int chars = 0;

  static std::u16string readResult(HWND hwnd) {
    HIMC imc = ImmGetContext(hwnd);
    LONG bytes = ImmGetCompositionStringW(imc, GCS_RESULTSTR, nullptr, 0);
    std::u16string s(static_cast<size_t>(bytes) / 2, u'\0');
    ImmGetCompositionStringW(imc, GCS_RESULTSTR, s.data(), static_cast<DWORD>(bytes));
    ImmReleaseContext(hwnd, imc);
    return s;
  }
  // The grid: places the composition window, re-posts the end to the editor.
  static LRESULT CALLBACK grid(HWND hwnd, UINT m, WPARAM wp, LPARAM lp) {
    switch (m) {
      case WM_IME_STARTCOMPOSITION: {
        seen.push_back(m);
        HIMC imc = ImmGetContext(hwnd);
        COMPOSITIONFORM f{CFS_RECT, POINT{40, 60}, RECT{40, 60, 340, 160}};
        ImmSetCompositionWindow(imc, &f);
        ImmReleaseContext(hwnd, imc);
        return 0;
      }
      case WM_IME_COMPOSITION: seen.push_back(m); return 0;
      case WM_IME_ENDCOMPOSITION:
        seen.push_back(m);
        PostMessageW(editor, m, wp, lp);
        return 0;
      case WM_CHAR: ++chars; return 0;
      default: return DefWindowProcW(hwnd, m, wp, lp);
    }
  }
  static LRESULT CALLBACK text(HWND hwnd, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_IME_ENDCOMPOSITION) {
      results.push_back(readResult(hwnd));
      return 0;
    }
    return DefWindowProcW(hwnd, m, wp, lp);
  }
  // Leaves everything to default processing and collects the characters.
  static inline std::u16string typed;
  static LRESULT CALLBACK plain(HWND hwnd, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_CHAR) {
      typed += static_cast<char16_t>(wp);
      return 0;
    }
    if (m == WM_IME_CHAR) seen.push_back(m);
    return DefWindowProcW(hwnd, m, wp, lp);
  }
};

class ImeTest : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    static bool registered = [] {
      for (auto [name, proc] :
           {std::pair{u"UiImeGrid", &ImeWindows::grid}, std::pair{u"UiImeText", &ImeWindows::text},
            std::pair{u"UiImePlain", &ImeWindows::plain}}) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = proc;
        wc.lpszClassName = name;
        RegisterClassW(&wc);
      }
      return true;
    }();
    (void)registered;
    ImeWindows::seen.clear();
    ImeWindows::results.clear();
    ImeWindows::typed.clear();
    ImeWindows::chars = 0;
    grid = child(u"UiImeGrid", u"Grid2", 0, 0, 0, 400, 300, 0);
    ImeWindows::editor =
        CreateWindowExW(0, u"UiImeText", u"Text2", WS_CHILD, 10, 10, 100, 20, grid, nullptr, nullptr, nullptr);
  }
  HWND grid = nullptr;
};

}  // namespace

TEST_F(ImeTest, TheFocusWindowGetsTheCompositionAndTheEditorReadsTheResultLater) {
  SetFocus(grid);
  EXPECT_EQ(testdriver::compose(u"中文", {u"z", u"zh", u"zhong"}), grid);
  EXPECT_EQ(ImeWindows::seen, (std::vector<UINT>{WM_IME_STARTCOMPOSITION, WM_IME_COMPOSITION, WM_IME_COMPOSITION,
                                                 WM_IME_COMPOSITION, WM_IME_COMPOSITION, WM_IME_ENDCOMPOSITION}));
  EXPECT_EQ(ImeWindows::chars, 0);  // no default processing: no characters
  EXPECT_TRUE(ImeWindows::results.empty());
  testdriver::pumpUntilIdle();  // the re-posted end reaches the editor
  EXPECT_EQ(ImeWindows::results, (std::vector<std::u16string>{u"中文"}));

  platform::CompositionWindow cw = platform::imeCompositionWindow();
  EXPECT_EQ(cw.hwnd, grid);
  EXPECT_EQ(cw.form.dwStyle, CFS_RECT);
  EXPECT_EQ(cw.form.rcArea.right, 340);
  EXPECT_EQ(ImmGetContext(grid), ImmGetContext(ImeWindows::editor));  // one context for the thread

  testdriver::compose(u"下一个");  // a new composition replaces the result
  testdriver::pumpUntilIdle();
  EXPECT_EQ(ImeWindows::results.back(), u"下一个");
}

TEST_F(ImeTest, CompositionStringsAreMeasuredAndCutInWholeUnits) {
  SetFocus(grid);
  testdriver::compose(u"测试ab");
  HIMC imc = ImmGetContext(grid);
  EXPECT_EQ(ImmGetCompositionStringW(imc, GCS_RESULTSTR, nullptr, 0), 8);
  char16_t buf[3] = {};
  EXPECT_EQ(ImmGetCompositionStringW(imc, GCS_RESULTSTR, buf, 5), 4);  // two whole units fit
  EXPECT_EQ(std::u16string(buf, 2), u"测试");
  EXPECT_EQ(ImmGetCompositionStringW(imc, GCS_COMPSTR, nullptr, 0), 0);  // nothing being composed
  EXPECT_EQ(ImmGetCompositionStringW(imc, GCS_CURSORPOS, nullptr, 0), IMM_ERROR_NODATA);
  EXPECT_EQ(ImmGetCompositionStringW(nullptr, GCS_RESULTSTR, nullptr, 0), IMM_ERROR_GENERAL);
  ImmReleaseContext(grid, imc);
}

TEST_F(ImeTest, DefaultProcessingTurnsTheResultIntoCharacters) {
  HWND plain = child(u"UiImePlain", u"", 0, 0, 320, 100, 20, 0);
  SetFocus(plain);
  testdriver::compose(u"你好");
  EXPECT_EQ(ImeWindows::typed, u"你好");
  EXPECT_EQ(ImeWindows::seen, (std::vector<UINT>{WM_IME_CHAR, WM_IME_CHAR}));

  HWND edit = child(u"Edit", u"", ES_AUTOHSCROLL, 120, 320, 200, 22, 1003);
  SetFocus(edit);
  clearCommands();
  testdriver::compose(u"北京", {u"bei", u"beijing"});
  EXPECT_EQ(textOf(edit), u"北京");
  EXPECT_EQ(codes(1003).size(), 4u);  // EN_UPDATE and EN_CHANGE per unit
}

TEST_F(ImeTest, NoFocusNoComposition) {
  SetFocus(nullptr);
  EXPECT_EQ(testdriver::compose(u"无"), nullptr);
  EXPECT_TRUE(ImeWindows::seen.empty());
}
