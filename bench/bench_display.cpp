// The display backend: presenting a full 1920 x 1080 frame, the time from a
// key pressed at the X server to the changed pixels there, and the CPU the
// waiting layer and the waiting program (build/app/morvel) use. Run on a
// 1920 x 1080 display, e.g.
//   xvfb-run -a -s "-screen 0 1920x1080x24" build/bench/bench_display
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/BenchClock.h"
#include "platform/display/Backend.h"
#include "platform/gdi/Gdi.h"
#include "platform/user/Desktop.h"
#include "platform/user/User.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

std::atomic<uint32_t> gColour{0x00336699};
constexpr RECT kSpot{100, 100, 150, 150};

LRESULT CALLBACK benchProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
      // A key changes the spot's colour: the latency path of a typed cell.
      gColour = gColour.load() ^ 0x00FFFFFF;
      InvalidateRect(hwnd, &kSpot, FALSE);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      uint32_t c = gColour.load();
      HBRUSH b = CreateSolidBrush(RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF));
      FillRect(dc, &ps.rcPaint, b);
      DeleteObject(b);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_CLOSE: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

void pumpFor(int ms) {
  auto end = Clock::now() + std::chrono::milliseconds(ms);
  while (Clock::now() < end) {
    MSG m;
    if (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageW(&m);
    } else {
      platform::desktop()->wait(5);
    }
  }
}

uint32_t pixelAt(Display* d, Window w, int x, int y) {
  XImage* image = XGetImage(d, w, x, y, 1, 1, AllPlanes, ZPixmap);
  if (!image) return 0xFFFFFFFF;
  uint32_t p = static_cast<uint32_t>(XGetPixel(image, 0, 0)) & 0xFFFFFF;
  XDestroyImage(image);
  return p;
}

// CPU seconds another process has used so far (utime + stime of /proc/<pid>/stat).
double cpuSecondsOf(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  size_t close = text.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream fields(text.substr(close + 2));
  std::string f;
  unsigned long long utime = 0, stime = 0;
  for (int i = 3; i <= 15 && fields >> f; ++i) {
    if (i == 14) utime = std::stoull(f);
    if (i == 15) stime = std::stoull(f);
  }
  return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// The program beside this benchmark (build/app/morvel) started on a small
// table and left waiting: its CPU share over three seconds, after two to
// settle. Negative when it cannot be started.
double programIdlePercent() {
  char buf[4096];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return -1;
  std::string exe(buf, static_cast<size_t>(n));
  std::string program = exe.substr(0, exe.rfind('/')) + "/../app/morvel";
  std::string folder = "/tmp/bench-display-" + std::to_string(getpid());
  mkdir(folder.c_str(), 0700);
  std::string csv = folder + "/table.csv";
  std::ofstream(csv) << "名称,数量\n苹果,3\n";
  setenv("MORVEL_REGISTRY_FILE", (folder + "/registry").c_str(), 1);
  setenv("XDG_DATA_HOME", (folder + "/data").c_str(), 1);
  char* argv[] = {program.data(), csv.data(), nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv, environ) != 0) return -1;
  std::this_thread::sleep_for(std::chrono::seconds(2));
  double cpu0 = cpuSecondsOf(pid);
  auto t0 = Clock::now();
  std::this_thread::sleep_for(std::chrono::seconds(3));
  double share = (cpuSecondsOf(pid) - cpu0) / bench::seconds(t0) * 100;
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  std::filesystem::remove_all(folder);
  return cpu0 < 0 ? -1 : share;
}

double cpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main() {
  platform::setDesktopOpener(platform::display::open);
  platform::Desktop* desktop = platform::desktop(true);
  Display* x = XOpenDisplay(nullptr);
  if (!desktop || !x) {
    std::printf("bench_display: no display (run under xvfb-run -s \"-screen 0 1920x1080x24\")\n");
    return 1;
  }
  WNDCLASSW wc{};
  wc.lpfnWndProc = benchProc;
  wc.lpszClassName = u"BenchDisplay";
  RegisterClassW(&wc);
  HWND w = CreateWindowExW(0, u"BenchDisplay", u"bench", WS_POPUP | WS_VISIBLE, 0, 0, 1920, 1080, nullptr, nullptr,
                           nullptr, nullptr);
  UpdateWindow(w);
  pumpFor(500);
  Window xw = platform::display::x11Window(w);

  // 1. Full frames: the whole surface drawn and presented, the server done with it.
  const int frames = 60;
  std::vector<double> paints, presents;
  for (int i = 0; i < frames; ++i) {
    gColour = 0x00102030u * static_cast<uint32_t>(i + 1) & 0x00FFFFFF;
    platform::display::takePresented(w);
    auto t0 = Clock::now();
    InvalidateRect(w, nullptr, FALSE);
    UpdateWindow(w);  // the layer paints the whole surface
    paints.push_back(bench::seconds(t0) * 1000);
    auto t1 = Clock::now();
    bool presented = false;
    while (!presented) {
      desktop->wait(1);  // idle: the drawn frame goes out
      presented = !platform::display::takePresented(w).empty();
    }
    pixelAt(x, xw, 1900, 1060);  // a round trip: the server has drawn the frame
    presents.push_back(bench::seconds(t1) * 1000);
  }
  std::sort(paints.begin(), paints.end());
  std::sort(presents.begin(), presents.end());
  std::printf(
      "full 1920x1080 frame: presentation %.2f ms median (%.2f ms at 90%%), "
      "the layer's own paint of it %.2f ms median\n",
      presents[frames / 2], presents[frames * 9 / 10], paints[frames / 2]);

  // 2. Key to pixels: a key pressed at the server until the spot changes there.
  std::atomic<bool> done{false};
  std::vector<double> latencies;
  std::thread person([&] {
    Display* hand = XOpenDisplay(nullptr);
    KeyCode a = XKeysymToKeycode(hand, XK_a);
    for (int i = 0; i < 40; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(30));
      uint32_t before = pixelAt(hand, xw, 120, 120);
      auto t0 = Clock::now();
      XTestFakeKeyEvent(hand, a, True, CurrentTime);
      XTestFakeKeyEvent(hand, a, False, CurrentTime);
      XFlush(hand);
      while (pixelAt(hand, xw, 120, 120) == before && bench::seconds(t0) < 1) {
      }
      latencies.push_back(bench::seconds(t0) * 1000);
    }
    XCloseDisplay(hand);
    done = true;
    PostMessageW(w, WM_NULL, 0, 0);
  });
  SetFocus(w);
  MSG m;
  while (!done && GetMessageW(&m, nullptr, 0, 0)) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  person.join();
  std::sort(latencies.begin(), latencies.end());
  std::printf("key to pixels: median %.2f ms, worst %.2f ms (%zu keys)\n", latencies[latencies.size() / 2],
              latencies.back(), latencies.size());

  // 3. Idle: the program waits in GetMessageW for three seconds.
  std::thread closer([&] {
    std::this_thread::sleep_for(std::chrono::seconds(3));
    PostMessageW(w, WM_CLOSE, 0, 0);
  });
  double cpu0 = cpuSeconds();
  auto t0 = Clock::now();
  while (GetMessageW(&m, nullptr, 0, 0)) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  double idle = (cpuSeconds() - cpu0) / bench::seconds(t0) * 100;
  closer.join();
  std::printf("idle CPU while waiting: %.2f %%\n", idle);
  DestroyWindow(w);
  XCloseDisplay(x);
  const double program = programIdlePercent();
  if (program < 0) std::printf("idle CPU of the program: not measured (build/app/morvel did not start)\n");
  else std::printf("idle CPU of the program waiting with a table open: %.2f %%\n", program);
  double load[3] = {};
  if (getloadavg(load, 3) == 3) std::printf("load average: %.2f %.2f %.2f\n", load[0], load[1], load[2]);
  return 0;
}
