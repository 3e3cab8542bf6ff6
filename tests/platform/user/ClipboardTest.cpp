// The clipboard with CF_UNICODETEXT in global memory blocks.
#include <cstring>
#include <type_traits>

#include "tests/platform/user/Recorder.h"

using namespace usertest;

namespace {

class ClipboardTest : public UserTest {
 protected:
  // What a copy does: a fixed block of length + 1 units, NUL included.
  static bool copyText(HWND owner, const std::u16string& text) {
    if (!OpenClipboard(owner)) return false;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_DDESHARE, 2 * text.size() + 2);
    std::memcpy(block, text.c_str(), 2 * text.size() + 2);  // a fixed block's handle is its address
    bool ok = SetClipboardData(CF_UNICODETEXT, block) == block;
    CloseClipboard();
    return ok;
  }
  static std::optional<std::u16string> pasteText(HWND owner) {
    if (!OpenClipboard(owner)) return std::nullopt;
    std::optional<std::u16string> text;
    if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
      auto* p = static_cast<const WCHAR*>(GlobalLock(static_cast<HGLOBAL>(h)));
      text = std::u16string(p);
      GlobalUnlock(static_cast<HGLOBAL>(h));
    }
    CloseClipboard();
    return text;
  }
};

}  // namespace

TEST_F(ClipboardTest, TextRoundTrip) {
  HWND grid = make("grid", WS_POPUP, 0, 0, 10, 10);
  HWND editor = make("editor", WS_POPUP, 0, 0, 10, 10);
  EXPECT_EQ(pasteText(grid), std::nullopt);  // nothing yet
  std::u16string cells = u"名称\t数量\n苹果\t3\n\"a\tb\"\t\n";
  ASSERT_TRUE(copyText(grid, cells));
  EXPECT_EQ(pasteText(editor), cells);
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
  ASSERT_TRUE(copyText(editor, u""));
  EXPECT_EQ(pasteText(grid), u"");
}

TEST_F(ClipboardTest, OnlyOneOpenerAndOnlyWhileOpen) {
  HWND a = make("a", WS_POPUP, 0, 0, 10, 10);
  HWND b = make("b", WS_POPUP, 0, 0, 10, 10);
  ASSERT_TRUE(copyText(a, u"x"));
  EXPECT_EQ(GetClipboardData(CF_UNICODETEXT), nullptr);  // not open
  EXPECT_FALSE(EmptyClipboard());
  ASSERT_TRUE(OpenClipboard(a));
  EXPECT_FALSE(OpenClipboard(b));  // paste silently skipped by its caller
  EXPECT_TRUE(CloseClipboard());
  EXPECT_FALSE(CloseClipboard());
  EXPECT_EQ(pasteText(b), u"x");
}

TEST_F(ClipboardTest, EmptyingFreesTheBlocksTheClipboardOwned) {
  HWND a = make("a", WS_POPUP, 0, 0, 10, 10);
  ASSERT_TRUE(copyText(a, u"old"));
  OpenClipboard(a);
  HGLOBAL old = static_cast<HGLOBAL>(GetClipboardData(CF_UNICODETEXT));
  ASSERT_NE(GlobalLock(old), nullptr);
  EmptyClipboard();
  EXPECT_EQ(GlobalLock(old), nullptr);  // freed with the clipboard's contents
  EXPECT_EQ(GetClipboardData(CF_UNICODETEXT), nullptr);
  CloseClipboard();
}

TEST(GlobalMemoryTest, BlocksKnowTheirSize) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 10);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(GlobalSize(block), 10u);
  auto* p = static_cast<char*>(GlobalLock(block));
  ASSERT_EQ(static_cast<void*>(p), static_cast<void*>(block));
  EXPECT_EQ(p[9], 0);
  EXPECT_EQ(GlobalFree(block), nullptr);
  EXPECT_EQ(GlobalFree(block), block);  // already freed: fails
  EXPECT_EQ(GlobalSize(block), 0u);
}

// Clipboard data is a HANDLE and a global block an HGLOBAL: the same type,
// so the usual paste needs no cast.
static_assert(std::is_same_v<HGLOBAL, HANDLE>);

TEST_F(ClipboardTest, ClipboardDataLocksWithoutACast) {
  HWND w = make("w", WS_POPUP, 0, 0, 10, 10);
  ASSERT_TRUE(copyText(w, u"列1\t列2"));
  ASSERT_TRUE(OpenClipboard(w));
  auto* p = static_cast<const WCHAR*>(GlobalLock(GetClipboardData(CF_UNICODETEXT)));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(std::u16string(p), u"列1\t列2");
  GlobalUnlock(GetClipboardData(CF_UNICODETEXT));
  CloseClipboard();
}
