// The common dialogs show the desktop's own chooser and return what the
// headless calls return.
#include <X11/keysym.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/png/Png.h"
#include "tests/platform/display/DisplayFixture.h"

namespace displaytest {
namespace {

namespace fs = std::filesystem;

using ChooserTest = DisplayTest;

// A person types a path into the chooser and presses Enter.
std::thread typeIntoChooser(const std::string& path, unsigned long owner) {
  return std::thread([path, owner] {
    Server hand;
    hand.waitFocusLeaves(owner);  // the chooser is up
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    for (char c : path) {
      hand.tap(static_cast<unsigned long>(static_cast<unsigned char>(c)));
      std::this_thread::sleep_for(std::chrono::milliseconds(c == '/' ? 150 : 20));  // '/' opens the location entry
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    writePng(hand.pixels(hand.root(), RECT{0, 0, 960, 720}), pngPath("chooser_open"));
    hand.tap(XK_Return);
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    hand.tap(XK_Return);  // a second Enter in case the first only completed the name
  });
}

TEST_F(ChooserTest, OpenReturnsThePathInTheHeadlessLayout) {
  HWND w = makeWindow(POINT{100, 100}, SIZE{300, 200});
  fs::path folder = fs::temp_directory_path() / ("chooser-" + std::to_string(getpid()));
  fs::create_directories(folder);
  std::ofstream(folder / "data.csv") << "a,b\n";
  std::string path = (folder / "data.csv").string();
  std::thread person = typeIntoChooser(path, platform::display::x11Window(w));
  std::u16string buffer(1024, u'\0');
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = w;
  ofn.lpstrFilter = u"CSV文件 (*.csv)\0*.csv\0所有文件\0*.*\0";
  ofn.lpstrFile = buffer.data();
  ofn.nMaxFile = 1024;
  ofn.Flags = OFN_FILEMUSTEXIST;
  BOOL chosen = GetOpenFileNameW(&ofn);
  person.join();
  ASSERT_TRUE(chosen);
  std::u16string want(path.begin(), path.end());
  EXPECT_EQ(std::u16string(buffer.c_str()), want);
  EXPECT_EQ(ofn.nFileOffset, want.rfind(u'/') + 1);
  EXPECT_EQ(ofn.nFileExtension, want.size() - 3);
  EXPECT_TRUE(IsWindowEnabled(w));
  fs::remove_all(folder);
}

}  // namespace
}  // namespace displaytest
