// The program's own path pieces (the name an import copies to, the folder a split writes
// beside its input) cut where the store's file names cut: after the last '/' or '\',
// whichever comes last.
#include <gtest/gtest.h>

#include <string>

#include "app/FileCollect.h"
#include "app/MainWindow.h"
#include "store/FilePath.h"
#include "tests/support/TextConvert.h"

namespace {

using testsupport::u8;

TEST(PathPieces, NameAndFolderCutAtTheLastSeparator) {
  const struct {
    std::u16string path, folder, name;
  } cases[] = {
      {u"/home/u/数据.csv", u"/home/u", u"数据.csv"},
      {u"c:\\x\\y/z.txt", u"c:\\x\\y", u"z.txt"},
      {u"c:/x/y\\z.txt", u"c:/x/y", u"z.txt"},
      {u"plain.csv", u"", u"plain.csv"},
      {u"dir/", u"dir", u""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(parentFolder(c.path), c.folder) << u8(c.path);
    EXPECT_EQ(lastPathComponent(c.path), c.name) << u8(c.path);
    EXPECT_EQ(lastPathComponent(c.path), getFileBaseName(c.path) + getFileExt(c.name)) << u8(c.path);
  }
}

}  // namespace
