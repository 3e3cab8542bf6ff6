// A text editor in a host window, driven through the test driver. The editor uses the
// fixed-metric test font at height 16: every code unit below U+1100 advances 8 pixels (a
// tab 32), a line is 19 pixels high, and text is drawn 2 pixels below a line's top.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "controls/TextEditor.h"
#include "platform/font/FontInstance.h"
#include "platform/testdriver/Driver.h"
#include "tests/support/GdiplusSuite.h"

namespace editor_test {

constexpr int kAdvance = 8;
constexpr int kLineHeight = 19;

// Where the editor sits in its host, and how large it is.
struct EditorPlace {
  int x = 10, y = 10, width = 240, height = 120;
  int scrollBars = 0;
};

class EditorTest : public testsupport::GdiplusSuite {
 protected:
  void SetUp() override { open(EditorPlace{}); }
  void TearDown() override { close(); }

  // A host window with an editor in it (the previous ones destroyed), the editor focused.
  void open(const EditorPlace& place, void (*before)(CCText&) = nullptr) {
    close();
    testdriver::reset();
    host = testsupport::createHostWindow(u"EditorHost", 100, 100, 400, 300);
    ASSERT_NE(host, nullptr);
    ed = std::make_unique<CCText>();
    ed->font.lfHeight = 16;
    std::memcpy(ed->font.lfFaceName, gdi::kTestFontFace, sizeof gdi::kTestFontFace);
    if (before) before(*ed);
    ed->create(host, place.x, place.y, place.width, place.height, place.scrollBars);
    ASSERT_NE(ed->hwnd, nullptr);
    SetFocus(ed->hwnd);
    testdriver::pumpUntilIdle();
  }
  void close() {
    if (host) DestroyWindow(host);
    host = nullptr;
    testdriver::pumpUntilIdle();
    ed.reset();
  }

  HWND hwnd() const { return ed->hwnd; }
  const std::u16string& text() const { return ed->shownText; }
  std::u16string selected() const {
    return text().substr(ed->selection.start, ed->selection.end - ed->selection.start);
  }

  // Screen point of a client point of the editor.
  POINT at(int x, int y) const { return testdriver::screenPoint(hwnd(), x, y); }
  // Client point in the middle of the left half of character `column` of line `line` (both
  // 0-based) of the unscrolled text, left of the gutter.
  POINT cell(int column, int line) const {
    return at(ed->textRect.left + column * kAdvance + 2, ed->textRect.top + line * kLineHeight + 5);
  }

  void press(int vk, unsigned modifiers = testdriver::None) {
    testdriver::keyPress(vk, modifiers);
    testdriver::pumpUntilIdle();
  }
  void type(std::u16string_view s) {
    testdriver::typeText(s);
    testdriver::pumpUntilIdle();
  }
  void click(POINT p, unsigned modifiers = testdriver::None) {
    if (modifiers & testdriver::Shift) testdriver::keyDown(VK_SHIFT);
    testdriver::click(p);
    if (modifiers & testdriver::Shift) testdriver::keyUp(VK_SHIFT);
    testdriver::pumpUntilIdle();
  }
  void doubleClick(POINT p) {
    testdriver::doubleClick(p);
    testdriver::pumpUntilIdle();
  }
  // Puts a text in through setText and the caret at `caret`, nothing selected.
  void fill(const std::u16string& s, size_t caret) {
    ed->setText(s);
    ed->caret = caret;
    ed->selection = selectionAt(caret);
    ed->updateCaret();
    testdriver::pumpUntilIdle();
  }

  HWND host = nullptr;
  std::unique_ptr<CCText> ed;
};

}  // namespace editor_test
