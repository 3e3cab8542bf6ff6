// The editor's line index kept in step by replacement reports: after every one of many
// random edits (typing, deleting across lines, pasting blocks, appending) the starts, widths
// and widest line agree with an index built from scratch, and the index passes its own check.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "controls/TextLines.h"
#include "tests/controls/FakeSurface.h"

namespace {

// Reference: the lines of `text` measured directly.
void expectSameAsRebuilt(const TextLines& lines, const std::u16string& text, FakeSurface& surface, int step) {
  TextLines fresh;
  fresh.rebuild(text, &surface);
  ASSERT_EQ(lines.count(), fresh.count()) << "step " << step;
  for (size_t i = 0; i < fresh.count(); ++i) ASSERT_EQ(lines.start(i), fresh.start(i)) << "step " << step;
  ASSERT_EQ(lines.widest(), fresh.widest()) << "step " << step;
  ASSERT_EQ(lines.structureCheck(text, &surface), "") << "step " << step;  // each line's width
  for (size_t i = 0; i <= text.size(); ++i) {
    const size_t line = lines.lineOf(i);
    ASSERT_LE(lines.start(line), i);
    ASSERT_TRUE(i < lines.end(line, text.size()) || line + 1 == lines.count()) << "index " << i;
  }
}

std::u16string randomText(std::mt19937& rng, size_t maxLength) {
  static const char16_t pieces[] = {u'a', u'b', u' ', u'\t', u'\n', u'\n', u'中', u'{'};
  std::u16string s(std::uniform_int_distribution<size_t>(0, maxLength)(rng), u'a');
  for (char16_t& c : s) c = pieces[std::uniform_int_distribution<size_t>(0, 7)(rng)];
  return s;
}

TEST(TextLines, RandomEditsMatchARebuild) {
  FakeSurface surface;
  std::mt19937 rng(20261210);
  std::u16string text = u"first\nsecond line\n";
  TextLines lines;
  lines.rebuild(text, &surface);
  for (int step = 0; step < 3000; ++step) {
    const size_t pos = std::uniform_int_distribution<size_t>(0, text.size())(rng);
    const size_t removed =
        std::uniform_int_distribution<size_t>(0, std::min<size_t>(text.size() - pos, step % 7 ? 3 : 40))(rng);
    const std::u16string with = randomText(rng, step % 5 ? 2 : 30);
    text.replace(pos, removed, with);
    lines.replaced(text, pos, removed, with.size(), &surface);
    expectSameAsRebuilt(lines, text, surface, step);
    if (::testing::Test::HasFatalFailure()) return;
  }
}

TEST(TextLines, WidestLineShrinksAndGrows) {
  FakeSurface surface;
  std::u16string text = u"aaaa\nbb\nccc";
  TextLines lines;
  lines.rebuild(text, &surface);
  EXPECT_EQ(lines.widest(), 50);  // four letters and the line feed
  text.erase(1, 3);               // "a\nbb\nccc": the widest line lost its letters
  lines.replaced(text, 1, 3, 0, &surface);
  EXPECT_EQ(lines.widest(), 30);
  text.insert(text.size(), u"中中");
  lines.replaced(text, text.size() - 2, 0, 2, &surface);
  EXPECT_EQ(lines.widest(), 70);
}

TEST(TextLines, WidthsAreUnknownUntilASurfaceMeasuresThem) {
  FakeSurface surface;
  std::u16string text = u"ab\ncd";
  TextLines lines;
  lines.rebuild(text, nullptr);
  EXPECT_FALSE(lines.measured());
  EXPECT_EQ(lines.widest(), 0);
  text += u"\nxyz1";
  lines.replaced(text, 5, 0, 5, nullptr);
  EXPECT_EQ(lines.count(), 3u);
  lines.remeasure(text, surface);
  EXPECT_TRUE(lines.measured());
  EXPECT_EQ(lines.widest(), 40);
  lines.replaced(text, 0, 0, 0, nullptr);  // a report without a surface forgets the widths
  EXPECT_FALSE(lines.measured());
}

// The check names an index that does not belong to the text it is given.
TEST(TextLines, StructureCheckFindsAnIndexOfAnotherText) {
  FakeSurface surface;
  TextLines lines;
  lines.rebuild(u"ab\ncd\n", &surface);
  ASSERT_EQ(lines.structureCheck(u"ab\ncd\n", &surface), "");
  const struct {
    std::u16string text;
    const char* fault;
  } cases[] = {
      {u"ab\ncd", "3 lines for 1 line feeds"},
      {u"abc\nd\n", "line 1 starts at 3, not after a line feed"},
      {u"ab\n\tx\n", "line 1 width 30, measures 60"},
  };
  for (const auto& c : cases) EXPECT_EQ(lines.structureCheck(c.text, &surface), c.fault);
  EXPECT_EQ(lines.structureCheck(u"ab\n\tx\n", nullptr), "");  // widths unchecked without a surface
}

}  // namespace
