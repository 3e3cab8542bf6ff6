// CF_UNICODETEXT and the desktop's clipboard, both ways, with another X
// client (xclip).
#include <cstdio>
#include <future>
#include <thread>

#include "platform/CodePage.h"
#include "platform/display/Text.h"
#include "tests/platform/display/DisplayFixture.h"

namespace displaytest {
namespace {

using ClipboardTest = DisplayTest;

bool haveXclip() { return std::system("command -v xclip >/dev/null 2>&1") == 0; }

std::string run(const std::string& command) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    pclose(p);
  }
  return out;
}

void setLayerText(HWND owner, const std::u16string& text) {
  ASSERT_TRUE(OpenClipboard(owner));
  EmptyClipboard();
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(char16_t));
  auto* units = static_cast<char16_t*>(GlobalLock(block));
  std::copy(text.begin(), text.end(), units);
  units[text.size()] = 0;
  GlobalUnlock(block);
  SetClipboardData(CF_UNICODETEXT, block);
  CloseClipboard();
}

std::u16string layerText(HWND owner) {
  std::u16string text;
  if (!OpenClipboard(owner)) return u"<not opened>";
  if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
    auto* units = static_cast<const char16_t*>(GlobalLock(static_cast<HGLOBAL>(h)));
    text = units;
    GlobalUnlock(static_cast<HGLOBAL>(h));
  }
  CloseClipboard();
  return text;
}

TEST_F(ClipboardTest, TextSetByTheLayerIsReadByAnotherProgram) {
  if (!haveXclip()) GTEST_SKIP() << "xclip is not installed";
  HWND w = makeWindow(POINT{100, 100}, SIZE{200, 100});
  const std::u16string cells = u"名称\t数量\n苹果\t3\n";
  setLayerText(w, cells);
  // xclip waits for this process to hand the text over: keep running messages.
  auto reader = std::async(std::launch::async, [] { return run("xclip -o -selection clipboard"); });
  ASSERT_TRUE(
      pumpUntil([&] { return reader.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 5000));
  EXPECT_EQ(reader.get(), wideToUtf8(cells));
}

TEST_F(ClipboardTest, TextSetByAnotherProgramIsReadByTheLayer) {
  if (!haveXclip()) GTEST_SKIP() << "xclip is not installed";
  HWND w = makeWindow(POINT{100, 300}, SIZE{200, 100});
  ASSERT_EQ(std::system("printf '甲\\t乙\\r\\n1\\t2' | xclip -selection clipboard -i"), 0);
  pumpFor(100);
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
  EXPECT_EQ(layerText(w), u"甲\t乙\r\n1\t2");
  setLayerText(w, u"mine");  // takes the clipboard back: xclip ends
  EXPECT_EQ(layerText(w), u"mine");
}

}  // namespace
}  // namespace displaytest
