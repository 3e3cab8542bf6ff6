// The output window after F5 over a C cell that does not compile and a Python cell that
// raises: both banners with their messages, drawn. The picture goes to
// build/tests/script/output_engines.png.
#include <algorithm>

#include "platform/png/Png.h"
#include "platform/resources/Resources.h"
#include "platform/testdriver/Driver.h"
#include "script/OutputWindow.h"
#include "tests/script/EngineFixture.h"
#include "tests/script/ScriptFixture.h"
#include "tests/support/GdiplusSuite.h"
#include "tests/support/Picture.h"

namespace {

using scripttest::FakeDocument;

class EngineOutputTest : public testsupport::GdiplusSuite {
 protected:
  void SetUp() override {
    testdriver::reset();
    owner = testsupport::createHostWindow(u"EngineOutputHost", 0, 0, 1000, 700);
    ASSERT_NE(owner, nullptr);
    platform::resources::Dialog d;
    d.id = 147;
    d.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX;
    d.cx = 427;
    d.cy = 250;
    d.caption = u"输出";
    platform::resources::Table t;
    t.dialogs.push_back(d);
    platform::resources::addTable(t);
    dialog = CreateDialogParamW(nullptr, MAKEINTRESOURCEW(147), owner, outputDlgProc, 0);
    ASSERT_NE(dialog, nullptr);
    RECT rc;
    GetClientRect(dialog, &rc);
    doc.output.insets[0] = doc.output.insets[1] = 3;
    doc.output.insets[2] = doc.output.insets[3] = 2;
    doc.output.backColour = 0xE8E7E6;
    doc.output.create(dialog, 0, 0, rc.right, rc.bottom, 1);
    SetWindowLongPtrW(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&doc.output));
    doc.onShowOutput = [this] { ShowWindow(dialog, SW_SHOWNORMAL); };
  }
  void TearDown() override {
    destroyOutputWnd(dialog);
    DestroyWindow(owner);
    testdriver::pumpUntilIdle();
  }
  enginetest::Engines engines;
  HWND owner = nullptr;
  HWND dialog = nullptr;
  FakeDocument doc;
};

uint32_t pixelOf(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

TEST_F(EngineOutputTest, CompileErrorAndPythonErrorUnderTheirBanners) {
  doc.core.resize(4, 4);
  doc.setScript(1, 1, CELL_TCC, u"int main(void) {\n  nosuch = 1;\n  return 0;\n}\n");
  doc.setScript(2, 1, CELL_PYTHON, u"a = 1\nb = a / 0\n");
  runAllScripts(doc);
  testdriver::pumpUntilIdle();
  EXPECT_EQ(doc.outputText(),
            "========================Run cell[1,1] Tcc script error:========================\n"
            "<string>:2: error: 'nosuch' undeclared\n\n"
            "========================Run cell[2,1] Python script error:========================\n"
            "Line 2:ZeroDivisionError('division by zero')\n");
  ASSERT_TRUE(IsWindowVisible(dialog));
  ASSERT_TRUE(testdriver::saveWindowPng(dialog, testsupport::picturePath("script", "output_engines.png").string()));
  const Surface s = testdriver::windowPixels(doc.output.hwnd);
  // Text on the first line and on the fourth and fifth lines' band: the second banner
  // and its message sit well below the first.
  const uint32_t ink = pixelOf(doc.output.textColour);
  int top = s.height, bottom = -1;
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x)
      if (s.at(x, y) == ink) {
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
  EXPECT_LT(top, 20) << "the first banner at the top";
  EXPECT_GT(bottom - top, 4 * 12) << "five lines of output";
  EXPECT_EQ(s.at(s.width - 30, s.height - 30), 0xE6E7E8u) << "the output background below the text";
}

}  // namespace
