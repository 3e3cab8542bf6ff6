// The workers of the merge and split dialogs while they run: progress labels during a
// run, cancel and close stopping within one chunk or line and leaving a prefix of the
// output, several dialogs running at once, and the exit's cancel of every task.
//
// The outputs that must be caught mid-run are pipes drained slowly by a reader thread,
// so a worker is still writing when the dialog acts, however fast the disk.
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <regex>

#include "app/ColumnPick.h"
#include "platform/CodePage.h"
#include "tests/app/FileToolFixture.h"

namespace {

// Reads a named pipe 64 KiB at a time with a pause after each read, until the writer
// closes it (or 20 s pass without a writer).
class SlowReader {
 public:
  explicit SlowReader(const std::string& fifo) {
    mkfifo(fifo.c_str(), 0600);
    mThread = std::thread([this, fifo] {
      const int fd = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
      const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
      std::string buffer(1 << 16, '\0');
      bool connected = false;
      while (fd >= 0 && std::chrono::steady_clock::now() < giveUp) {
        pollfd p{fd, POLLIN, 0};
        ::poll(&p, 1, 10);
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n > 0) {
          connected = true;
          mBytes.append(buffer.data(), size_t(n));
          mSeen.store(mBytes.size());
          std::this_thread::sleep_for(std::chrono::milliseconds(1));
        } else if (n == 0 && connected) {
          break;  // the writer closed it
        }
      }
      if (fd >= 0) ::close(fd);
    });
  }
  ~SlowReader() { join(); }
  // Waits for the writer to close; the bytes it wrote.
  const std::string& join() {
    if (mThread.joinable()) mThread.join();
    return mBytes;
  }
  size_t seen() const { return mSeen.load(); }

 private:
  std::string mBytes;
  std::atomic<size_t> mSeen{0};
  std::thread mThread;
};

// 64 MiB of numbered lines.
std::string bigText() {
  std::string text;
  text.reserve(64 << 20);
  for (int i = 0; text.size() < (64u << 20); ++i) text += "row " + std::to_string(i) + ",some field\n";
  return text;
}

class FileTasks : public FileToolTest {
 protected:
  // Pumps until the label matches; false after 20 s.
  bool waitLabel(HWND dialog, int id, const std::wregex& pattern) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
      testdriver::pumpUntilIdle();
      const std::u16string label = text(dialog, id);
      if (std::regex_match(std::wstring(label.begin(), label.end()), pattern)) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
  }
  HWND startMergeInto(const std::vector<std::u16string>& inputs, const std::u16string& output) {
    HWND dialog = openFileMergeDialog(host);
    addFiles(dialog, inputs);
    type(dialog, 1005, output);
    click(dialog, IDABORT);
    return dialog;
  }
  const std::wregex kProgress{L"处理进度：[0-9]+\\.[0-9][0-9]%"};
};

TEST_F(FileTasks, CancelDuringAMergeStopsWithinAChunkAndLeavesAPrefix) {
  const std::string input = bigText();
  write("big.csv", input);
  SlowReader reader(dir.native("out.csv"));
  HWND dialog = startMergeInto({path("big.csv")}, path("out.csv"));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDABORT)));
  ASSERT_TRUE(waitLabel(dialog, 1097, kProgress));
  EXPECT_EQ(text(dialog, 1096), u"正在处理：" + path("big.csv"));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDABORT))) << "disabled while the worker runs";
  const auto before = std::chrono::steady_clock::now();
  click(dialog, IDCANCEL);
  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(2));
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_EQ(gMergeTasks.size(), 0u);
  const std::string& merged = reader.join();
  EXPECT_LT(merged.size(), input.size());
  EXPECT_EQ(merged.size() % (4u << 20), 0u) << "whole chunks";
  EXPECT_EQ(merged, input.substr(0, merged.size()));
}

TEST_F(FileTasks, ClosingASplitDuringItsRunStopsWithinALine) {
  const std::string input = bigText();
  write("big.csv", input);
  std::filesystem::create_directories(dir.native("out"));
  SlowReader reader(dir.native("out/big_1.csv"));
  HWND dialog = openFileSplitDialog(host);
  addFiles(dialog, {path("big.csv")});
  click(dialog, 1000);  // no header lines
  type(dialog, 1004, u"1");
  type(dialog, 1005, path("out"));
  click(dialog, IDABORT);
  ASSERT_TRUE(waitLabel(dialog, 1097, kProgress));
  testdriver::closeBox(dialog);
  testdriver::pumpUntilIdle();
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_EQ(gSplitTasks.size(), 0u);
  const std::string& part = reader.join();
  EXPECT_LT(part.size(), input.size());
  ASSERT_FALSE(part.empty());
  EXPECT_EQ(part.back(), '\n') << "whole lines";
  EXPECT_EQ(part, input.substr(0, part.size()));
}

TEST_F(FileTasks, DialogsRunAtOnceEachWithItsOwnTask) {
  write("a.csv", "h\n1\n");
  write("b.csv", "h\n2\n");
  write("c.csv", "h\n3\n4\n5\n");
  HWND first = openFileMergeDialog(host);
  HWND second = openFileMergeDialog(host);
  HWND split = openFileSplitDialog(host);
  // Side by side, so that each is clicked where it is seen.
  int x = 0;
  for (HWND dialog : {first, second, split}) {
    RECT r{};
    GetWindowRect(dialog, &r);
    MoveWindow(dialog, x, 0, r.right - r.left, r.bottom - r.top, TRUE);
    x += r.right - r.left + 10;
  }
  testdriver::pumpUntilIdle();
  addFiles(first, {path("a.csv"), path("b.csv")});
  addFiles(second, {path("b.csv"), path("a.csv")});
  addFiles(split, {path("c.csv")});
  type(first, 1005, path("ab.csv"));
  type(second, 1005, path("ba.csv"));
  click(second, 1000);  // keep the headers
  type(split, 1005, path("parts"));
  EXPECT_EQ(gMergeTasks.size(), 2u);
  EXPECT_EQ(gSplitTasks.size(), 1u);
  click(first, IDABORT);
  click(second, IDABORT);
  click(split, IDABORT);
  for (HWND dialog : {first, second, split}) EXPECT_TRUE(waitEnded(dialog));
  EXPECT_EQ(read("ab.csv"), "h\n1\n2\n");
  EXPECT_EQ(read("ba.csv"), "h\n2\nh\n1\n");
  EXPECT_EQ(read("parts/c_1.csv"), "h\n3\n");
  EXPECT_EQ(read("parts/c_3.csv"), "h\n5\n");
  EXPECT_EQ(gColumnPick.mDialog, split) << "the newest tool dialog";
  click(second, IDCANCEL);
  EXPECT_EQ(gMergeTasks.size(), 1u);
  EXPECT_TRUE(IsWindow(first));
  click(split, IDCANCEL);
  EXPECT_EQ(gColumnPick.mDialog, nullptr);
}

TEST_F(FileTasks, ExitCancelsAndJoinsRunningWorkers) {
  write("big.csv", bigText());
  SlowReader merged(dir.native("out.csv"));
  std::filesystem::create_directories(dir.native("out"));
  SlowReader part(dir.native("out/big_1.csv"));
  HWND merge = startMergeInto({path("big.csv")}, path("out.csv"));
  HWND split = openFileSplitDialog(host);
  RECT r{};
  GetWindowRect(split, &r);
  MoveWindow(split, 1920 - (r.right - r.left), 0, r.right - r.left, r.bottom - r.top, TRUE);
  testdriver::pumpUntilIdle();
  addFiles(split, {path("big.csv")});
  type(split, 1004, u"1");
  type(split, 1005, path("out"));
  click(split, IDABORT);
  ASSERT_TRUE(waitLabel(merge, 1097, kProgress));
  ASSERT_TRUE(waitLabel(split, 1097, kProgress));
  // What the exit does before the registries go: no worker is left running, and the
  // texts they posted meanwhile are freed with their dialogs.
  gMergeTasks.cancelAll();
  gSplitTasks.cancelAll();
  EXPECT_EQ(gMergeTasks.size() + gSplitTasks.size(), 0u);
  EXPECT_LT(merged.join().size(), 64u << 20);
  EXPECT_LT(part.join().size(), 64u << 20);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(merge, IDABORT)));
}

}  // namespace
