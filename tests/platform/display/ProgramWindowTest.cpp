// The program itself on the X server: build/app/morvel started on a small
// CSV with Chinese text shows its main window through the display backend
// (menu bar, tab strip, the grid with the file's cells), registers its
// document type with the desktop in the user's XDG data folder, and closes
// when the window manager asks. The window's picture is written to
// build/tests/display/program_window.png for the eye.
#include "tests/platform/display/DisplayFixture.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/png/Png.h"
#include "platform/resources/Resources.h"

// Last: the X headers' macros would spoil the ones above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

extern char** environ;

namespace displaytest {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Polls `done` every 20 ms until it holds or `ms` pass; its last result.
bool waitFor(const std::function<bool()>& done, int ms) {
  auto end = Clock::now() + std::chrono::milliseconds(ms);
  for (;;) {
    if (done()) return true;
    if (Clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

std::string readFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The program as a child process with its own registry and XDG folders
// under `home`, its output in `home`/output.txt.
class Program {
 public:
  Program(const fs::path& home, const std::vector<std::string>& args, bool headless) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
      std::string v = *e;
      for (const char* drop : {"MORVEL_", "XDG_DATA_HOME=", "XDG_CONFIG_HOME="})
        if (v.rfind(drop, 0) == 0) v.clear();
      if (!v.empty()) env.push_back(v);
    }
    env.push_back("MORVEL_REGISTRY_FILE=" + (home / "registry").string());
    env.push_back("XDG_DATA_HOME=" + (home / "data").string());
    env.push_back("XDG_CONFIG_HOME=" + (home / "config").string());
    if (headless) env.push_back("MORVEL_HEADLESS=1");
    std::vector<std::string> argv{MORVEL_PROGRAM};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> a, e;
    for (std::string& s : argv) a.push_back(s.data());
    a.push_back(nullptr);
    for (std::string& s : env) e.push_back(s.data());
    e.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    const std::string output = (home / "output.txt").string();
    posix_spawn_file_actions_addopen(&files, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&files, 1, 2);
    if (posix_spawn(&mPid, a[0], &files, nullptr, a.data(), e.data()) != 0) mPid = 0;
    posix_spawn_file_actions_destroy(&files);
  }
  ~Program() {
    if (!running()) return;
    kill(mPid, SIGKILL);
    waitpid(mPid, nullptr, 0);
  }
  pid_t pid() const { return mPid; }
  bool running() {
    if (mPid <= 0 || mExited) return false;
    if (waitpid(mPid, &mStatus, WNOHANG) == mPid) mExited = true;
    return !mExited;
  }
  // Waits up to `ms` for the program to end by itself; its exit code, -1
  // when it did not end or ended by a signal.
  // How the program ended ("exit code N", "signal N"); empty while it runs.
  std::string howEnded() {
    if (running()) return "";
    return WIFSIGNALED(mStatus) ? "signal " + std::to_string(WTERMSIG(mStatus))
                                : "exit code " + std::to_string(WEXITSTATUS(mStatus));
  }
  int waitExit(int ms) {
    if (!waitFor([&] { return !running(); }, ms)) return -1;
    return WIFEXITED(mStatus) ? WEXITSTATUS(mStatus) : -1;
  }

 private:
  pid_t mPid = 0;
  bool mExited = false;
  int mStatus = 0;
};

// Errors of requests on windows the program destroys meanwhile: ignored
// while a Guard lives (the toolkit's own handler would end the test).
int ignoreErrors(Display*, XErrorEvent*) { return 0; }

class ErrorGuard {
 public:
  explicit ErrorGuard(Display* d) : mDisplay(d), mBefore(XSetErrorHandler(ignoreErrors)) {}
  ~ErrorGuard() {
    XSync(mDisplay, False);
    XSetErrorHandler(mBefore);
  }

 private:
  Display* mDisplay;
  XErrorHandler mBefore;
};

// The X server as another program sees it.
class Screen {
 public:
  Screen() : mDisplay(XOpenDisplay(nullptr)) {}
  ~Screen() {
    if (mDisplay) XCloseDisplay(mDisplay);
  }
  bool connected() const { return mDisplay != nullptr; }

  // The largest viewable top-level window of a process (_NET_WM_PID); 0 when none.
  Window windowOf(pid_t pid) {
    int ignored = 0;
    return windowOf(pid, ignored);
  }
  // The same, with the number of its viewable top-level windows in `viewable`.
  Window windowOf(pid_t pid, int& viewable) {
    const std::vector<Window> all = windowsOf(pid);
    viewable = static_cast<int>(all.size());
    Window best = 0;
    long bestArea = 0;
    for (Window w : all) {
      const SIZE s = size(w);
      const long area = static_cast<long>(s.cx) * s.cy;
      if (area > bestArea) best = w, bestArea = area;
    }
    return best;
  }

  SIZE size(Window w) {
    XWindowAttributes a{};
    XGetWindowAttributes(mDisplay, w, &a);
    return SIZE{a.width, a.height};
  }

  // The window's pixels (0x00RRGGBB), empty when it cannot be read.
  Surface pixels(Window w) {
    ErrorGuard guard(mDisplay);
    Surface out;
    SIZE s = size(w);
    if (s.cx <= 0 || s.cy <= 0) return out;
    XImage* image =
        XGetImage(mDisplay, w, 0, 0, static_cast<unsigned>(s.cx), static_cast<unsigned>(s.cy), AllPlanes, ZPixmap);
    if (!image) return out;
    out.resize(s.cx, s.cy);
    for (int y = 0; y < out.height; ++y)
      for (int x = 0; x < out.width; ++x) out.row(y)[x] = static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFF;
    XDestroyImage(image);
    return out;
  }

  // Every viewable top-level window of a process (_NET_WM_PID), in stacking order.
  std::vector<Window> windowsOf(pid_t pid) {
    ErrorGuard guard(mDisplay);
    std::vector<Window> out;
    Atom pidAtom = XInternAtom(mDisplay, "_NET_WM_PID", False);
    Window root = DefaultRootWindow(mDisplay), parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(mDisplay, root, &root, &parent, &children, &count)) return out;
    for (unsigned i = 0; i < count; ++i) {
      Atom type = 0;
      int format = 0;
      unsigned long items = 0, after = 0;
      unsigned char* data = nullptr;
      if (XGetWindowProperty(mDisplay, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &items,
                             &after, &data) != Success)
        continue;
      bool ours = data && items == 1 && format == 32 && static_cast<pid_t>(*reinterpret_cast<long*>(data)) == pid;
      if (data) XFree(data);
      XWindowAttributes a;
      if (ours && XGetWindowAttributes(mDisplay, children[i], &a) && a.map_state == IsViewable)
        out.push_back(children[i]);
    }
    if (children) XFree(children);
    return out;
  }

  // Where the window's top-left corner lies on the screen.
  POINT origin(Window w) {
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(mDisplay, w, DefaultRootWindow(mDisplay), 0, 0, &x, &y, &child);
    return POINT{x, y};
  }

  // A viewable top-level window of a process whose title (_NET_WM_NAME) is `title`; 0 when none.
  Window windowTitled(pid_t pid, const std::string& title) {
    ErrorGuard guard(mDisplay);
    Atom pidAtom = XInternAtom(mDisplay, "_NET_WM_PID", False);
    Atom nameAtom = XInternAtom(mDisplay, "_NET_WM_NAME", False);
    Atom utf8 = XInternAtom(mDisplay, "UTF8_STRING", False);
    Window root = DefaultRootWindow(mDisplay), parent = 0, *children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (!XQueryTree(mDisplay, root, &root, &parent, &children, &count)) return 0;
    for (unsigned i = 0; i < count && !found; ++i) {
      XWindowAttributes a;
      if (!XGetWindowAttributes(mDisplay, children[i], &a) || a.map_state != IsViewable) continue;
      if (property(children[i], pidAtom, XA_CARDINAL) == std::string(reinterpret_cast<const char*>(&pid), 4) &&
          property(children[i], nameAtom, utf8) == title)
        found = children[i];
    }
    if (children) XFree(children);
    return found;
  }

  // The window another window is transient for (WM_TRANSIENT_FOR); 0 when none.
  Window transientFor(Window w) {
    Window owner = 0;
    return XGetTransientForHint(mDisplay, w, &owner) ? owner : 0;
  }

  // Whether the window manager may size the window (its size hints do not pin it).
  bool resizable(Window w) {
    XSizeHints hints{};
    long supplied = 0;
    if (!XGetWMNormalHints(mDisplay, w, &hints, &supplied)) return true;
    const bool pinned = (hints.flags & PMinSize) && (hints.flags & PMaxSize) &&
                        hints.min_width == hints.max_width && hints.min_height == hints.max_height;
    return !pinned;
  }

  bool viewable(Window w) {
    ErrorGuard guard(mDisplay);
    XWindowAttributes a{};
    return XGetWindowAttributes(mDisplay, w, &a) && a.map_state == IsViewable;
  }

  Window root() const { return DefaultRootWindow(mDisplay); }

  // A key pressed and released at the server, as a keyboard gives it.
  void tap(KeySym keysym) {
    KeyCode code = XKeysymToKeycode(mDisplay, keysym);
    XTestFakeKeyEvent(mDisplay, code, True, CurrentTime);
    XTestFakeKeyEvent(mDisplay, code, False, CurrentTime);
    XSync(mDisplay, False);
  }

  void movePointer(POINT p) {
    XTestFakeMotionEvent(mDisplay, -1, p.x, p.y, CurrentTime);
    XSync(mDisplay, False);
  }

  // What a window manager sends for the close button.
  void closeButton(Window w) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(mDisplay, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(XInternAtom(mDisplay, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(mDisplay, w, False, NoEventMask, &e);
    XSync(mDisplay, False);
  }

 private:
  // A property's bytes (32-bit items as 4 bytes each); empty when it is not there.
  std::string property(Window w, Atom name, Atom type) {
    Atom actual = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    std::string out;
    if (XGetWindowProperty(mDisplay, w, name, 0, 1024, False, type, &actual, &format, &items, &after, &data) ==
            Success &&
        data) {
      if (format == 32)
        for (unsigned long i = 0; i < items; ++i) {
          const uint32_t v = static_cast<uint32_t>(reinterpret_cast<long*>(data)[i]);
          out.append(reinterpret_cast<const char*>(&v), 4);
        }
      else out.assign(reinterpret_cast<const char*>(data), items * static_cast<unsigned long>(format / 8));
    }
    if (data) XFree(data);
    return out;
  }

  Display* mDisplay;
};

uint32_t rgbOf(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

// Pixels of an area: how many are `colour`, and how many are dark (text).
struct Census {
  int total = 0, matching = 0, dark = 0;
};

Census census(const Surface& s, RECT r, uint32_t colour) {
  Census c;
  for (int y = std::max<int>(0, r.top); y < std::min<int>(s.height, r.bottom); ++y)
    for (int x = std::max<int>(0, r.left); x < std::min<int>(s.width, r.right); ++x) {
      uint32_t p = s.row(y)[x];
      ++c.total;
      if (p == colour) ++c.matching;
      int luma = (((p >> 16) & 0xFF) * 3 + ((p >> 8) & 0xFF) * 6 + (p & 0xFF)) / 10;
      if (luma < 110) ++c.dark;
    }
  return c;
}

}  // namespace

// A scratch folder for one run of the program, removed with it.
struct Scratch {
  fs::path path;
  explicit Scratch(const std::string& name)
      : path(fs::temp_directory_path() / (name + "-" + std::to_string(getpid()))) {
    fs::remove_all(path);
    fs::create_directories(path);
  }
  ~Scratch() { fs::remove_all(path); }
};

// Where things lie in the program's desktop window (the frame inside the
// window manager's border and caption): the menu bar, then the client area
// with the tab strip's row over the grid. The grid's sizes are its defaults
// at zoom 100: a 20-pixel column header, a 34-pixel row header, 18-pixel rows
// and 74-pixel columns; row 1 is the file's first line.
struct Layout {
  int menu = GetSystemMetrics(SM_CYMENU);
  static constexpr int kTabRow = 29, kHeader = 20, kRowHeader = 34, kRow = 18, kColumn = 74;
  RECT menuBar(int width) const { return RECT{0, 0, width, menu}; }
  RECT tabRow(int width) const { return RECT{0, menu, width, menu + kTabRow}; }
  // A cell's inside, clear of its grid lines and of the selection's fill
  // handle at the corner of the cell above left (row and column from 1).
  RECT cell(int row, int col) const {
    int left = kRowHeader + (col - 1) * kColumn, top = menu + kTabRow + kHeader + (row - 1) * kRow;
    return RECT{left + 4, top + 3, left + kColumn - 1, top + kRow - 1};
  }
};

// What the window shows once painted, each a probe of its pixels; empty
// when all hold.
std::vector<std::string> failedProbes(const Surface& shot) {
  std::vector<std::string> failed;
  if (shot.width < 400 || shot.height < 200) return {"no picture"};
  const Layout at;
  const uint32_t menuColour = 0xFFFFFF;  // the menu bar's face
  auto half = [](RECT r, bool right) {
    int mid = (r.left + r.right) / 2;
    return right ? RECT{mid, r.top, r.right, r.bottom} : RECT{r.left, r.top, mid, r.bottom};
  };
  // The menu bar: "文件(F)" first, nothing after the last item, on the menu colour.
  RECT bar = at.menuBar(shot.width);
  Census first = census(shot, RECT{0, bar.top, 50, bar.bottom}, menuColour);
  Census rest = census(shot, RECT{shot.width - 300, bar.top, shot.width, bar.bottom}, menuColour);
  if (first.dark < 40) failed.push_back("the menu bar's first item has no text");
  if (rest.matching != rest.total) failed.push_back("the menu bar's empty end is not the menu colour");
  // The tab strip: the tab's title (the file's name) and the line under the row.
  RECT row = at.tabRow(shot.width);
  Census title = census(shot, RECT{40, row.top, 100, row.bottom - 1}, 0);
  Census line = census(shot, RECT{300, row.bottom - 1, shot.width - 300, row.bottom}, 0xB5B5B5);
  if (title.dark < 40) failed.push_back("the tab has no title");
  if (line.matching != line.total) failed.push_back("no line under the tab row");
  // Row 2 ("苹果,3,北京") is an even band: its cells' ground is 0xEFEFEF with
  // the text in the cell colour; the number stands at the right of its cell.
  const uint32_t band = 0xEFEFEF, text = 0x27413E;
  Census fruit = census(shot, at.cell(2, 1), band);
  Census fruitText = census(shot, at.cell(2, 1), text);
  if (fruitText.matching < 20 || fruit.matching < fruit.total / 2) failed.push_back("cell A2 does not show 苹果");
  Census numberLeft = census(shot, half(at.cell(2, 2), false), band);
  Census numberRight = census(shot, half(at.cell(2, 2), true), text);
  if (numberLeft.matching != numberLeft.total || numberRight.matching < 5)
    failed.push_back("cell B2 does not show 3 at its right");
  // Beside the table the cells are empty and white.
  Census empty = census(shot, at.cell(2, 5), 0xFFFFFF);
  if (empty.matching != empty.total) failed.push_back("cell E2 is not empty");
  return failed;
}

std::string joined(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) out += l + "\n";
  return out;
}

// The program's main window once it is up; 0, with what the program said, when it ended
// or none came within 30 s.
Window mainWindowOf(Screen& screen, Program& program, const Scratch& home) {
  Window window = 0;
  waitFor([&] { return (window = screen.windowOf(program.pid())) != 0 || !program.running(); }, 30000);
  if (!window) ADD_FAILURE() << "no window; the program said:\n" << readFile(home.path / "output.txt");
  return window;
}

// The window's first paint: its picture once every probe holds, or the last one taken
// after 15 s.
Surface firstPaint(Screen& screen, Window window) {
  Surface shot;
  waitFor(
      [&] {
        shot = screen.pixels(window);
        return failedProbes(shot).empty();
      },
      15000);
  return shot;
}

TEST(ProgramWindow, StartedOnACsvShowsMenuTabsAndCellsRegistersTheTypeAndClosesOnRequest) {
  Screen screen;
  ASSERT_TRUE(screen.connected()) << "no display: run under xvfb-run";
  Scratch home("program-window");
  const fs::path csv = home.path / "水果.csv";
  std::ofstream(csv) << "名称,数量,城市\n苹果,3,北京\n香蕉,12,上海\n";
  Program program(home.path, {csv.string()}, false);
  ASSERT_GT(program.pid(), 0);

  // The first paint: the window is up and its pixels show what the probes expect.
  const Window window = mainWindowOf(screen, program, home);
  ASSERT_TRUE(window);
  Surface shot = firstPaint(screen, window);
  ASSERT_TRUE(writePng(shot, pngPath("program_window")));
  EXPECT_EQ(joined(failedProbes(shot)), "");

  // The document type went to the desktop as well as to the registry.
  const fs::path data = home.path / "data";
  const std::string entry = readFile(data / "applications/morvel.desktop");
  EXPECT_NE(entry.find("Exec=\"" MORVEL_PROGRAM "\" %f\n"), std::string::npos) << entry;
  EXPECT_NE(entry.find("MimeType=application/x-morvel-mvt;\n"), std::string::npos) << entry;
  EXPECT_NE(readFile(data / "mime/packages/morvel-mvt.xml").find("<glob pattern=\"*.mvt\"/>"), std::string::npos);
  bool icon = false;
  if (fs::exists(data / "icons/hicolor"))
    for (const auto& size : fs::directory_iterator(data / "icons/hicolor"))
      icon = icon || fs::exists(size.path() / "apps/morvel.png");
  EXPECT_TRUE(icon);

  // The window manager's close button: an unchanged document closes without a question.
  screen.closeButton(window);
  EXPECT_EQ(program.waitExit(10000), 0) << readFile(home.path / "output.txt");
}

// A CSV of about `bytes` bytes: long lines of a few texts that repeat, so that the load
// takes a while but the sheet stays small in memory. Written a block at a time.
void writeLargeCsv(const fs::path& path, uint64_t bytes) {
  std::string block;
  for (int i = 0; block.size() < (4u << 20); ++i) {
    block += std::to_string(i % 1000) + ",";
    for (int f = 0; f < 4; ++f) block += std::string(40, char('a' + (i + f) % 8)) + std::to_string(f) + ",";
    block += "x\n";
  }
  std::ofstream out(path, std::ios::binary);
  for (uint64_t written = 0; written < bytes; written += block.size()) out.write(block.data(), block.size());
}

// The progress bar in a picture: rows where its frame encloses a 498-pixel run of its
// trough or its fill, ten rows of them at least.
bool barShown(const Surface& shot) {
  const uint32_t frame = 0xBCBCBC, trough = 0xE6E6E6, fill = 0x06B025;
  int rows = 0;
  for (int y = 0; y < shot.height; ++y) {
    const uint32_t* row = shot.row(y);
    for (int x = 0; x + 499 < shot.width; ++x) {
      if (row[x] != frame || row[x + 499] != frame) continue;
      int inside = 1;
      while (inside < 499 && (row[x + inside] == trough || row[x + inside] == fill)) ++inside;
      if (inside == 499) {
        ++rows;
        break;
      }
    }
  }
  return rows >= 10;
}

// The window manager's close button pressed while a large file loads under the progress
// bar: the close is refused, the load runs to its end, and a later close ends the program.
TEST(ProgramWindow, TheCloseButtonDuringALargeLoadIsRefusedAndTheLoadEnds) {
  Screen screen;
  ASSERT_TRUE(screen.connected()) << "no display: run under xvfb-run";
  Scratch home("large-load");
  const fs::path csv = home.path / "large.csv";
  writeLargeCsv(csv, uint64_t(1) << 30);
  Program program(home.path, {csv.string()}, false);
  ASSERT_GT(program.pid(), 0);
  const Window window = mainWindowOf(screen, program, home);
  ASSERT_TRUE(window);
  ASSERT_TRUE(waitFor([&] { return barShown(screen.pixels(window)) || !program.running(); }, 60000) &&
              program.running())
      << "no progress bar while the file loads";
  screen.closeButton(window);
  // The load goes on to its end with the window up: the bar goes, the program stays.
  EXPECT_TRUE(waitFor([&] { return !program.running() || !barShown(screen.pixels(window)); }, 120000));
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  ASSERT_TRUE(program.running()) << "the program ended (" << program.howEnded()
                                 << ") after the close during the load; it said:\n"
                                 << readFile(home.path / "output.txt");
  EXPECT_EQ(screen.windowOf(program.pid()), window);
  screen.closeButton(window);
  EXPECT_EQ(program.waitExit(30000), 0) << readFile(home.path / "output.txt");
}

// Save As of a file in a folder of its own, answered with Return in the desktop's chooser,
// writes beside that file (the dialog proposes its path without the extension, the
// default extension is ".mvt"), not into the folder the program was started from.
TEST(ProgramWindow, SaveAsAnsweredWithReturnWritesIntoTheDocumentsFolder) {
  Screen screen;
  ASSERT_TRUE(screen.connected()) << "no display: run under xvfb-run";
  Scratch home("program-save-as");
  const fs::path data = home.path / "documents", started = home.path / "started";
  fs::create_directories(data);
  fs::create_directories(started);
  std::ofstream(data / "f.csv") << "名称,数量,城市\n苹果,3,北京\n香蕉,12,上海\n";  // what the probes look for
  // The program's working folder is `started`.
  const fs::path before = fs::current_path();
  fs::current_path(started);
  Program program(home.path, {(data / "f.csv").string()}, false);
  fs::current_path(before);
  ASSERT_GT(program.pid(), 0);
  const Window window = mainWindowOf(screen, program, home);
  ASSERT_TRUE(window);
  firstPaint(screen, window);

  Server hand;
  const POINT corner = screen.origin(window);
  const RECT cell = Layout().cell(2, 1);
  hand.click(POINT{corner.x + cell.left + 5, corner.y + cell.top + 5});
  // Ctrl+Alt+S until the chooser is up: a second top-level window of the program. On a
  // loaded machine the first keys may come before the window takes them.
  const auto chooserUp = [&] {
    int viewable = 0;
    screen.windowOf(program.pid(), viewable);
    return viewable >= 2;
  };
  bool chooser = false;
  for (int attempt = 0; attempt < 3 && !chooser; ++attempt) {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    hand.key(XK_Control_L, true);
    hand.key(XK_Alt_L, true);
    hand.tap(XK_s);
    hand.key(XK_Alt_L, false);
    hand.key(XK_Control_L, false);
    chooser = waitFor(chooserUp, 8000);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  writePng(hand.pixels(hand.root(), RECT{0, 0, 1200, 900}), pngPath("program_save_as_chooser"));
  ASSERT_TRUE(chooser) << "no chooser came up";
  // Return, again while nothing is written (the name field may not have the keys yet).
  bool written = false;
  for (int attempt = 0; attempt < 4 && !written; ++attempt) {
    if (chooserUp()) hand.tap(XK_Return);
    written = waitFor([&] { return fs::exists(data / "f.mvt"); }, 4000);
  }
  EXPECT_TRUE(written) << "nothing written beside the document; the program said:\n"
                       << readFile(home.path / "output.txt");
  EXPECT_TRUE(fs::is_empty(started)) << "written into the folder the program was started from";
  screen.closeButton(window);
  EXPECT_EQ(program.waitExit(10000), 0) << readFile(home.path / "output.txt");
}

// A window manager takes Alt+F4 itself and closes the focused window with its close
// request. The go-to dialog (Ctrl+G) closed so, the Alt released after it selects no
// menu: the menu bar shows no highlighted item, and Ctrl+Alt+S then opens the save
// chooser instead of typing into the current cell, also when the menu bar had taken the
// Ctrl and Alt presses. The pictures go to build/tests/display/alt_after_*.png.
TEST(ProgramWindow, AnAltReleasedAfterItsDialogClosedSelectsNoMenu) {
  Screen screen;
  Server server;
  ASSERT_TRUE(screen.connected() && server.connected()) << "no display: run under xvfb-run";
  Scratch home("program-alt");
  const fs::path csv = home.path / "水果.csv";
  std::ofstream(csv) << "名称,数量,城市\n苹果,3,北京\n香蕉,12,上海\n";
  Program program(home.path, {csv.string()}, false);
  ASSERT_GT(program.pid(), 0);
  const Window window = mainWindowOf(screen, program, home);
  ASSERT_TRUE(window);
  Surface shot = firstPaint(screen, window);
  ASSERT_EQ(joined(failedProbes(shot)), "");
  const Layout at;
  const POINT origin = screen.origin(window);
  auto onScreen = [&](int x, int y) { return POINT{origin.x + x, origin.y + y}; };
  const RECT cell = at.cell(2, 1);            // A2, 苹果
  auto highlighted = [&](const Surface& s) {  // pixels of the menu bar's selected item
    return census(s, at.menuBar(s.width), 0x0078D7).matching;
  };
  auto sameCell = [&](const Surface& a, const Surface& b) {
    for (int y = cell.top; y < cell.bottom; ++y)
      for (int x = cell.left; x < cell.right; ++x)
        if (a.at(x, y) != b.at(x, y)) return false;
    return true;
  };
  server.click(onScreen(cell.left + 10, cell.top + 5));  // A2 selected, the grid focused
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const Surface before = screen.pixels(window);
  server.key(XK_Control_L, true);
  server.tap(XK_g);
  server.key(XK_Control_L, false);
  Window dialog = 0;
  ASSERT_TRUE(waitFor(
      [&] {
        for (Window w : screen.windowsOf(program.pid()))
          if (w != window) dialog = w;
        return dialog != 0;
      },
      10000))
      << "no go-to dialog";
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  server.key(XK_Alt_L, true);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  screen.closeButton(dialog);
  ASSERT_TRUE(waitFor([&] { return screen.windowsOf(program.pid()).size() == 1; }, 10000)) << "the dialog stays";
  server.key(XK_Alt_L, false);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  Surface afterAlt = screen.pixels(window);
  ASSERT_TRUE(writePng(afterAlt, pngPath("alt_after_dialog_released")));
  EXPECT_EQ(highlighted(afterAlt), 0) << "the menu bar is in menu mode";

  // Ctrl+Alt+S: the save chooser comes up and the cell stays as it was; Escape cancels it.
  auto saveAsByKeys = [&](const std::string& picture) {
    server.key(XK_Control_L, true);
    server.key(XK_Alt_L, true);
    server.tap(XK_s);
    server.key(XK_Alt_L, false);
    server.key(XK_Control_L, false);
    Window chooser = 0;
    const bool opened = waitFor(
        [&] {
          for (Window w : screen.windowsOf(program.pid()))
            if (w != window) chooser = w;
          return chooser != 0;
        },
        10000);
    Surface after;
    waitFor(
        [&] {  // the menu bar's picture follows the chooser's
          after = screen.pixels(window);
          return highlighted(after) == 0;
        },
        3000);
    ASSERT_TRUE(writePng(after, pngPath(picture)));
    EXPECT_TRUE(opened) << picture << ": Ctrl+Alt+S opened no save chooser";
    EXPECT_EQ(highlighted(after), 0) << picture << ": the menu bar is in menu mode";
    EXPECT_TRUE(sameCell(before, after)) << picture << ": cell A2 changed: the keys were typed into it";
    if (!chooser) return;
    server.tap(XK_Escape);
    EXPECT_TRUE(waitFor([&] { return screen.windowsOf(program.pid()).size() == 1; }, 10000)) << "the chooser stays";
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
  };
  server.click(onScreen(600, at.tabRow(0).top + 10));  // the tab row, right of the tab
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  saveAsByKeys("alt_after_dialog_save_as");

  // In menu mode (a lone Alt in the main window) Ctrl and Alt go to the menu, Alt ending
  // it; the S that follows still comes with both held.
  server.click(onScreen(cell.left + 10, cell.top + 5));
  server.tap(XK_Alt_L);
  EXPECT_TRUE(waitFor([&] { return highlighted(screen.pixels(window)) > 0; }, 5000)) << "a lone Alt: no menu mode";
  saveAsByKeys("alt_after_menu_mode_save_as");

  // The unchanged document closes without a question (once the chooser's loop has
  // given the main window back its input).
  int exit = -1;
  for (int i = 0; i < 20 && exit < 0; ++i) {
    screen.closeButton(window);
    exit = program.waitExit(500);
  }
  EXPECT_EQ(exit, 0) << readFile(home.path / "output.txt");
}

// A failing formula run by F5 in the program: the output window "输出" comes up as a window
// of its own, owned by the main window and sizable, 427 x 250 dialog units of client area,
// with the error text on its ground; the grid's cells stay in sight beside it, and the
// window manager's close button hides it while the program goes on. The pictures go to
// build/tests/display/output_window.png and program_with_output.png.
TEST(ProgramWindow, AScriptErrorShowsTheOutputWindowOfItsOwnAndItsCloseButtonHidesIt) {
  Screen screen;
  ASSERT_TRUE(screen.connected()) << "no display: run under xvfb-run";
  Scratch home("program-output");
  const fs::path csv = home.path / "水果.csv";
  std::ofstream(csv) << "名称,数量,城市\n苹果,3,北京\n香蕉,12,上海,=A3*\n";
  Program program(home.path, {csv.string()}, false);
  ASSERT_GT(program.pid(), 0);
  const Window window = mainWindowOf(screen, program, home);
  ASSERT_TRUE(window);
  Surface shot = firstPaint(screen, window);
  ASSERT_EQ(joined(failedProbes(shot)), "");

  // F5 with the pointer over the grid, as the keyboard gives it.
  const POINT at = screen.origin(window);
  const Layout layout;
  screen.movePointer(POINT{at.x + layout.cell(2, 3).left + 10, at.y + layout.cell(2, 3).top + 5});
  Window output = 0;
  for (int attempt = 0; attempt < 5 && !output; ++attempt) {
    screen.tap(XK_F5);
    waitFor([&] { return (output = screen.windowTitled(program.pid(), "输出")) != 0; }, 2000);
  }
  ASSERT_NE(output, 0u) << readFile(home.path / "output.txt");

  // What 427 x 250 dialog units of the registered template make on this desktop.
  platform::resources::Dialog t;
  t.id = 0x7147;
  t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX;
  t.cx = 427, t.cy = 250;
  platform::resources::Table table;
  table.dialogs.push_back(t);
  platform::resources::addTable(table);
  HWND sample = CreateDialogParamW(nullptr, MAKEINTRESOURCEW(0x7147), nullptr, nullptr, 0);
  ASSERT_NE(sample, nullptr);
  RECT units{0, 0, 427, 250};
  ASSERT_TRUE(MapDialogRect(sample, &units));
  DestroyWindow(sample);

  EXPECT_EQ(screen.transientFor(output), window) << "owned by the main window";
  EXPECT_TRUE(screen.resizable(output)) << "a sizing frame";
  Surface picture;
  const uint32_t ground = 0xE6E7E8;  // 0xE8E7E6 as a COLORREF
  waitFor(
      [&] {
        picture = screen.pixels(output);
        return census(picture, RECT{0, 0, picture.width, picture.height}, ground).matching > 0;
      },
      5000);
  ASSERT_TRUE(writePng(picture, pngPath("output_window")));
  EXPECT_EQ(picture.width, units.right);
  EXPECT_EQ(picture.height, units.bottom);
  const Census inside = census(picture, RECT{0, 0, picture.width, picture.height}, ground);
  EXPECT_GT(inside.matching, inside.total / 2) << "the output's ground";
  EXPECT_GT(inside.dark, 100) << "the error text";
  Surface desktop = screen.pixels(screen.root());
  ASSERT_TRUE(writePng(desktop, pngPath("program_with_output")));
  // The main window keeps its menu, tabs and cells in sight.
  EXPECT_EQ(joined(failedProbes(screen.pixels(window))), "");

  screen.closeButton(output);
  EXPECT_TRUE(waitFor([&] { return !screen.viewable(output); }, 5000)) << "the close button hides it";
  EXPECT_TRUE(program.running());
  EXPECT_TRUE(screen.viewable(window));
  screen.closeButton(window);
  EXPECT_EQ(program.waitExit(10000), 0) << readFile(home.path / "output.txt");
}

}  // namespace displaytest
