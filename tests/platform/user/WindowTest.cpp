// Window classes, creation and destruction sequences, geometry, the window
// tree and window data.
#include <set>

#include "tests/platform/user/Recorder.h"

using namespace usertest;
using testdriver::pumpUntilIdle;
using Lines = std::vector<std::string>;

namespace {

LRESULT CALLBACK otherProc(HWND hwnd, UINT m, WPARAM w, LPARAM l) { return DefWindowProcW(hwnd, m, w, l); }

class WindowTest : public UserTest {};

}  // namespace

TEST_F(WindowTest, SecondRegistrationFailsAndKeepsTheFirst) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = otherProc;
  wc.lpszClassName = u"testplain";  // class names ignore ASCII case
  EXPECT_EQ(RegisterClassW(&wc), 0);
  EXPECT_EQ(GetLastError(), ERROR_CLASS_ALREADY_EXISTS);
  HWND w = make("w", WS_POPUP, 0, 0, 10, 10);
  EXPECT_EQ(rec().lines(), (Lines{"w WM_NCCREATE", "w WM_CREATE", "w WM_SIZE", "w WM_MOVE"}));
  EXPECT_NE(GetWindowLongPtrW(w, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(otherProc));
}

TEST_F(WindowTest, CreationSendsItsMessagesInsideTheCall) {
  HWND main = make("main", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300);
  rec().clear();
  struct Seen {
    LONG_PTR userDataAtNcCreate = -1;
    LPVOID param = nullptr;
    LPARAM size = 0;
  } seen;
  rec().handler = [&](HWND h, UINT m, WPARAM, LPARAM l) -> std::optional<LRESULT> {
    if (m == WM_NCCREATE) seen.userDataAtNcCreate = GetWindowLongPtrW(h, GWLP_USERDATA);
    if (m == WM_CREATE) {
      seen.param = reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams;
      SetWindowLongPtrW(h, GWLP_USERDATA, 77);
    }
    if (m == WM_SIZE && h != main) seen.size = l;
    return std::nullopt;
  };
  int token = 0;
  rec().pendingName = "grid";
  HWND grid = CreateWindowExW(0, kPlainClass, u"Grid2", 0x50310000, 10, 20, 300, 200, main,
                              reinterpret_cast<HMENU>(5), nullptr, &token);
  mWindows.push_back(grid);
  EXPECT_EQ(lines(), (Lines{"grid WM_NCCREATE", "grid WM_CREATE", "grid WM_SIZE", "grid WM_MOVE",
                            "main WM_PARENTNOTIFY", "grid WM_SHOWWINDOW"}));
  EXPECT_EQ(seen.userDataAtNcCreate, 0);
  EXPECT_EQ(seen.param, &token);
  EXPECT_EQ(GetWindowLongPtrW(grid, GWLP_USERDATA), 77);
  // The grid's initial WM_SIZE already excludes both standard scroll bars.
  EXPECT_EQ(LOWORD(seen.size), 300 - 17);
  EXPECT_EQ(HIWORD(seen.size), 200 - 17);
  EXPECT_EQ(GetWindowLongPtrW(grid, GWLP_ID), 5);
  WCHAR title[16];
  EXPECT_EQ(GetWindowTextW(grid, title, 16), 5);
  EXPECT_EQ(std::u16string(title), u"Grid2");
  EXPECT_TRUE(GetWindowLongPtrW(grid, GWL_STYLE) & WS_VISIBLE);
  EXPECT_FALSE(IsWindowVisible(grid));  // main is not shown yet
}

TEST_F(WindowTest, FailedCreationReturnsNull) {
  struct Case {
    UINT refusing;
    LRESULT result;
    Lines expected;
  } cases[] = {
      {WM_NCCREATE, FALSE, {"x WM_NCCREATE", "x WM_NCDESTROY"}},
      {WM_CREATE, -1, {"x WM_NCCREATE", "x WM_CREATE", "x WM_DESTROY", "x WM_NCDESTROY"}},
  };
  for (const Case& c : cases) {
    rec().clear();
    rec().handler = [&](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (m == c.refusing) return c.result;
      return std::nullopt;
    };
    rec().pendingName = "x";
    EXPECT_EQ(CreateWindowExW(0, kPlainClass, u"", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_EQ(lines(), c.expected);
  }
  EXPECT_EQ(CreateWindowExW(0, u"NoSuchClass", u"", 0, 0, 0, 5, 5, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(CreateWindowExW(0, kPlainClass, u"", WS_CHILD, 0, 0, 5, 5, nullptr, nullptr, nullptr, nullptr),
            nullptr);  // a child needs a parent
}

TEST_F(WindowTest, HandlesAreLargeAndNeverReused) {
  std::set<HWND> seen;
  for (int i = 0; i < 50; ++i) {
    HWND w = CreateWindowExW(0, kPlainClass, u"", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(w, nullptr);
    EXPECT_GE(reinterpret_cast<uintptr_t>(w), 0x10000u);
    EXPECT_TRUE(seen.insert(w).second);
    DestroyWindow(w);
    EXPECT_FALSE(IsWindow(w));
  }
}

TEST_F(WindowTest, DestructionGoesParentFirstThenChildrenThenOwned) {
  HWND main = make("main", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300);
  HWND grid = make("grid", WS_CHILD | WS_VISIBLE, 0, 0, 300, 200, main);
  HWND editor = make("editor", WS_CHILD, 0, 0, 50, 20, grid);
  HWND strip = make("strip", WS_CHILD | WS_VISIBLE, 0, 0, 300, 30, main);
  HWND dialog = make("dialog", WS_POPUP | WS_CAPTION, 0, 0, 100, 100, grid);  // owner: main
  EXPECT_EQ(GetParent(dialog), main);
  bool editorAliveAtGridDestroy = false;
  rec().handler = [&](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_DESTROY && h == grid) editorAliveAtGridDestroy = IsWindow(editor);
    return std::nullopt;
  };
  rec().watch({WM_DESTROY, WM_NCDESTROY});
  EXPECT_TRUE(DestroyWindow(main));
  EXPECT_EQ(lines(), (Lines{"main WM_DESTROY", "grid WM_DESTROY", "editor WM_DESTROY", "strip WM_DESTROY",
                            "dialog WM_DESTROY", "dialog WM_NCDESTROY", "editor WM_NCDESTROY", "grid WM_NCDESTROY",
                            "strip WM_NCDESTROY", "main WM_NCDESTROY"}));
  EXPECT_TRUE(editorAliveAtGridDestroy);
  for (HWND w : {main, grid, editor, strip, dialog}) EXPECT_FALSE(IsWindow(w));
}

TEST_F(WindowTest, DestroyFromInsideItsOwnHandler) {
  HWND popup = make("popup", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50);
  int destroys = 0;
  rec().handler = [&](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_USER + 1) {
      EXPECT_TRUE(DestroyWindow(h));
      EXPECT_FALSE(IsWindow(h));
      return 0;
    }
    if (m == WM_DESTROY) {
      ++destroys;
      EXPECT_TRUE(DestroyWindow(h));  // again, from WM_DESTROY: nothing more happens
    }
    return std::nullopt;
  };
  PostMessageW(popup, WM_USER + 1, 0, 0);
  PostMessageW(popup, WM_USER + 2, 0, 0);  // queued behind: dropped with the window
  pumpUntilIdle();
  EXPECT_EQ(destroys, 1);
  EXPECT_FALSE(IsWindow(popup));
  EXPECT_TRUE(rec().of(WM_USER + 2).empty());
}

TEST_F(WindowTest, CloseDestroysByDefault) {
  HWND w = make("w", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100);
  testdriver::closeBox(w);
  EXPECT_FALSE(IsWindow(w));
}

TEST_F(WindowTest, ClientAreaExcludesFixedNonClientParts) {
  struct Case {
    const char* what;
    DWORD style, exStyle;
    bool menu;
    LONG width, height;
  } cases[] = {
      {"plain child", WS_CHILD, 0, false, 100, 50},
      {"bordered child", WS_CHILD | WS_BORDER, 0, false, 98, 48},
      {"vertical bar", WS_CHILD | WS_VSCROLL, 0, false, 83, 50},
      {"both bars", WS_CHILD | WS_VSCROLL | WS_HSCROLL, 0, false, 83, 33},
      {"client edge", WS_CHILD, WS_EX_CLIENTEDGE, false, 96, 46},
      {"popup", WS_POPUP, 0, false, 100, 50},
      {"dialog frame", WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, false, 94, 21},
      {"sizing frame", WS_POPUP | WS_CAPTION | WS_THICKFRAME, 0, false, 92, 19},
      {"overlapped", WS_OVERLAPPEDWINDOW, 0, false, 92, 19},
      {"overlapped with menu", WS_OVERLAPPEDWINDOW, 0, true, 92, 0},
      {"overlapped, no caption asked", WS_OVERLAPPED, 0, false, 94, 21},
  };
  HWND parent = make("parent", WS_POPUP, 0, 0, 500, 500);
  for (const Case& c : cases) {
    HMENU menu = c.menu ? reinterpret_cast<HMENU>(static_cast<uintptr_t>(0x1234)) : nullptr;
    HWND w = CreateWindowExW(c.exStyle, kPlainClass, u"", c.style, 0, 0, 100, 50,
                             (c.style & WS_CHILD) ? parent : nullptr, (c.style & WS_CHILD) ? nullptr : menu,
                             nullptr, nullptr);
    ASSERT_NE(w, nullptr) << c.what;
    RECT r;
    GetClientRect(w, &r);
    EXPECT_EQ(r.left, 0) << c.what;
    EXPECT_EQ(r.right, c.width) << c.what;
    EXPECT_EQ(r.bottom, c.height) << c.what;
    DestroyWindow(w);
  }
}

TEST_F(WindowTest, DefaultPlacementAndScreenMapping) {
  HWND main = make("main", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0, CW_USEDEFAULT, 0);
  RECT r;
  GetWindowRect(main, &r);
  EXPECT_EQ(r.left, 32);
  EXPECT_EQ(r.top, 32);
  EXPECT_EQ(r.right - r.left, 1440);
  EXPECT_EQ(r.bottom - r.top, 810);
  HWND tip = make("tip", WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT);
  GetWindowRect(tip, &r);
  EXPECT_EQ(r.right - r.left, 0);

  HWND strip = make("strip", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 20, 300, 200, main);
  HWND grid = make("grid", WS_CHILD | WS_VISIBLE, 5, 6, 100, 100, strip);
  // main's client origin: frame 4, caption 23 -> (36, 59); strip client at +1 border.
  POINT p{0, 0};
  ClientToScreen(grid, &p);
  EXPECT_EQ(p.x, 36 + 10 + 1 + 5);
  EXPECT_EQ(p.y, 59 + 20 + 1 + 6);
  ScreenToClient(grid, &p);
  EXPECT_EQ(p.x, 0);
  EXPECT_EQ(p.y, 0);
  GetWindowRect(grid, &r);
  EXPECT_EQ(r.left, 36 + 10 + 1 + 5);
  EXPECT_EQ(r.right - r.left, 100);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1920);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 1080);
  EXPECT_EQ(GetSystemMetrics(SM_CYFULLSCREEN) + GetSystemMetrics(SM_CYCAPTION), 1080 - 40);
}

TEST_F(WindowTest, MoveWindowSendsMoveThenSizeAtOnce) {
  HWND main = make("main", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300);
  HWND child = make("child", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, main);
  pumpUntilIdle();
  rec().clear();
  MoveWindow(child, 5, 5, 100, 100, FALSE);
  EXPECT_EQ(lines(), (Lines{"child WM_MOVE"}));
  rec().clear();
  MoveWindow(child, 5, 5, 120, 80, FALSE);
  ASSERT_EQ(lines(), (Lines{"child WM_SIZE"}));
  EXPECT_EQ(rec().log()[0].lParam, MAKELPARAM(120, 80));
  rec().clear();
  MoveWindow(child, 5, 5, 120, 80, TRUE);
  EXPECT_TRUE(lines().empty());
  pumpUntilIdle();  // repaint: the child and the parent area it covered
  EXPECT_EQ(rec().of(WM_PAINT).size(), 2u);
}

TEST_F(WindowTest, VisibilityFollowsAncestorsAndIsImmediate) {
  HWND main = make("main", WS_POPUP, 0, 0, 400, 300);
  HWND child = make("child", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, main);
  EXPECT_FALSE(IsWindowVisible(child));  // the parent is hidden
  EXPECT_FALSE(ShowWindow(main, SW_SHOW));
  EXPECT_TRUE(IsWindowVisible(child));
  bool visibleInHandler = true;
  rec().handler = [&](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_SHOWWINDOW && h == child) visibleInHandler = IsWindowVisible(child);
    return std::nullopt;
  };
  EXPECT_TRUE(ShowWindow(child, SW_HIDE));
  EXPECT_FALSE(IsWindowVisible(child));
  EXPECT_TRUE(visibleInHandler);  // WM_SHOWWINDOW comes before the change
  EXPECT_FALSE(ShowWindow(child, SW_HIDE));
}

TEST_F(WindowTest, FirstShowOfTopLevelReportsItsSize) {
  HWND main = make("main", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300);
  rec().clear();
  ShowWindow(main, SW_SHOWNORMAL);
  auto sizes = rec().of(WM_SIZE);
  ASSERT_EQ(sizes.size(), 1u);
  EXPECT_EQ(sizes[0].lParam, MAKELPARAM(392, 269));
  ShowWindow(main, SW_HIDE);
  rec().clear();
  ShowWindow(main, SW_SHOW);
  EXPECT_TRUE(rec().of(WM_SIZE).empty());
}

TEST_F(WindowTest, ParentAndOwner) {
  HWND main = make("main", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300);
  HWND grid = make("grid", WS_CHILD | WS_VISIBLE, 0, 0, 300, 200, main);
  HWND output = make("output", WS_POPUP | WS_CAPTION, 0, 0, 100, 100);
  HWND dialog = make("dialog", WS_POPUP, 0, 0, 50, 50, grid);
  HWND plain = make("plain", WS_OVERLAPPED, 0, 0, 50, 50, main);
  EXPECT_EQ(GetParent(grid), main);
  EXPECT_EQ(GetParent(output), nullptr);
  EXPECT_EQ(GetParent(dialog), main);  // only a top-level window can own
  EXPECT_EQ(GetParent(plain), nullptr);
  EXPECT_EQ(GetAncestor(grid, GA_ROOT), main);

  EXPECT_EQ(SetParent(output, grid), nullptr);
  EXPECT_EQ(GetParent(output), grid);
  EXPECT_TRUE(IsChild(main, output));
  rec().watch({WM_DESTROY});
  DestroyWindow(grid);
  EXPECT_EQ(lines(), (Lines{"grid WM_DESTROY", "output WM_DESTROY"}));
  EXPECT_FALSE(IsWindow(output));
  EXPECT_EQ(SetParent(main, main), nullptr);  // not into itself
}

TEST_F(WindowTest, WindowDataReturnsThePreviousValue) {
  HWND w = make("w", WS_POPUP, 0, 0, 10, 10);
  EXPECT_EQ(SetWindowLongPtrW(w, GWLP_USERDATA, 0x1234), 0);
  EXPECT_EQ(SetWindowLongPtrW(w, GWLP_USERDATA, 0x5678), 0x1234);
  EXPECT_EQ(GetWindowLongPtrW(w, GWLP_USERDATA), 0x5678);
  HINSTANCE inst = GetModuleHandleW(nullptr);
  EXPECT_EQ(SetWindowLongPtrW(w, GWLP_HINSTANCE, reinterpret_cast<LONG_PTR>(inst)), 0);
  EXPECT_EQ(GetWindowLongPtrW(w, GWLP_HINSTANCE), reinterpret_cast<LONG_PTR>(inst));
  EXPECT_TRUE(GetWindowLongPtrW(w, GWL_STYLE) & WS_POPUP);
  EXPECT_EQ(GetWindowLongPtrW(reinterpret_cast<HWND>(static_cast<uintptr_t>(0x7777777)), GWLP_USERDATA), 0);
}

TEST_F(WindowTest, TextIsCutToTheBuffer) {
  HWND w = make("w", WS_POPUP, 0, 0, 10, 10);
  EXPECT_TRUE(SetWindowTextW(w, u"C:/data/表格.csv - Morvel"));
  EXPECT_EQ(GetWindowTextLengthW(w), 23);
  WCHAR small[6];
  EXPECT_EQ(GetWindowTextW(w, small, 6), 5);
  EXPECT_EQ(std::u16string(small), u"C:/da");
  WCHAR big[64];
  GetWindowTextW(w, big, 64);
  EXPECT_EQ(std::u16string(big), u"C:/data/表格.csv - Morvel");
}

TEST_F(WindowTest, EnableWindowReportsThePreviousStateAndDisabledWindowsGetNoClicks) {
  HWND main = make("main", WS_POPUP | WS_VISIBLE, 100, 100, 200, 200);
  HWND button = make("button", WS_CHILD | WS_VISIBLE, 10, 10, 50, 20, main);
  EXPECT_FALSE(EnableWindow(button, FALSE));
  EXPECT_TRUE(EnableWindow(button, FALSE));
  EXPECT_FALSE(IsWindowEnabled(button));
  pumpUntilIdle();
  rec().clear();
  testdriver::click(testdriver::screenPoint(button, 5, 5));
  pumpUntilIdle();
  for (const Logged& l : rec().log()) EXPECT_NE(l.hwnd, button) << messageName(l.message);
  EXPECT_EQ(rec().of(WM_LBUTTONDOWN).size(), 1u);  // the dialog under it gets the click
  EXPECT_TRUE(EnableWindow(button, TRUE));
  rec().clear();
  testdriver::click(testdriver::screenPoint(button, 5, 5));
  pumpUntilIdle();
  ASSERT_EQ(rec().of(WM_LBUTTONDOWN).size(), 1u);
  EXPECT_EQ(rec().of(WM_LBUTTONDOWN)[0].hwnd, button);
}

TEST_F(WindowTest, RectangleHelpers) {
  struct Case {
    RECT a, b;
    BOOL nonEmpty;
    RECT out;
  } cases[] = {
      {{0, 0, 10, 10}, {5, 5, 20, 20}, TRUE, {5, 5, 10, 10}},
      {{0, 0, 10, 10}, {10, 0, 20, 10}, FALSE, {0, 0, 0, 0}},  // touching edges share nothing
      {{0, 0, 10, 10}, {3, 3, 3, 8}, FALSE, {0, 0, 0, 0}},     // empty input
      {{2, 3, 74, 18}, {0, 0, 50, 10}, TRUE, {2, 3, 50, 10}},
  };
  for (const Case& c : cases) {
    RECT out{9, 9, 9, 9};
    EXPECT_EQ(IntersectRect(&out, &c.a, &c.b), c.nonEmpty);
    EXPECT_EQ(out.left, c.out.left);
    EXPECT_EQ(out.top, c.out.top);
    EXPECT_EQ(out.right, c.out.right);
    EXPECT_EQ(out.bottom, c.out.bottom);
  }
  RECT r{0, 0, 10, 5};
  EXPECT_TRUE(PtInRect(&r, POINT{0, 0}));
  EXPECT_TRUE(PtInRect(&r, POINT{9, 4}));
  EXPECT_FALSE(PtInRect(&r, POINT{10, 4}));
  EXPECT_FALSE(PtInRect(&r, POINT{9, 5}));
  EXPECT_FALSE(PtInRect(&r, POINT{-1, 0}));
}

TEST_F(WindowTest, RightButtonUpBecomesContextMenuAtTheParent) {
  HWND grid = make("grid", WS_POPUP | WS_VISIBLE, 100, 100, 300, 200);
  HWND editor = make("editor", WS_CHILD | WS_VISIBLE, 20, 30, 80, 20, grid);
  pumpUntilIdle();
  rec().clear();
  POINT at = testdriver::screenPoint(editor, 4, 5);
  testdriver::click(at, testdriver::Button::Right);
  pumpUntilIdle();
  auto menus = rec().of(WM_CONTEXTMENU);
  ASSERT_EQ(menus.size(), 2u);
  EXPECT_EQ(menus[0].hwnd, editor);
  EXPECT_EQ(menus[1].hwnd, grid);
  EXPECT_EQ(menus[1].wParam, reinterpret_cast<WPARAM>(editor));  // the window clicked
  EXPECT_EQ(GET_X_LPARAM(menus[1].lParam), at.x);
  EXPECT_EQ(GET_Y_LPARAM(menus[1].lParam), at.y);
}

TEST_F(WindowTest, HitTestFindsTheNonClientParts) {
  HWND main = CreateWindowExW(0, kPlainClass, u"", WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_VISIBLE, 100, 100, 400,
                              300, nullptr, reinterpret_cast<HMENU>(static_cast<uintptr_t>(0x4321)), nullptr,
                              nullptr);
  mWindows.push_back(main);
  // Frame 4, caption 23 (rows 104..126), menu bar 20 (127..146), client from
  // (104, 147), 375 wide, then the 17-pixel bar and the right frame.
  struct Case {
    POINT p;
    int hit;
  } cases[] = {{{200, 110}, HTCAPTION}, {{200, 130}, HTMENU},   {{200, 200}, HTCLIENT}, {{104, 147}, HTCLIENT},
               {{485, 200}, HTVSCROLL}, {{498, 200}, HTBORDER}, {{101, 200}, HTBORDER}, {{600, 600}, HTNOWHERE}};
  for (const Case& c : cases)
    EXPECT_EQ(SendMessageW(main, WM_NCHITTEST, 0, MAKELPARAM(c.p.x, c.p.y)), c.hit) << c.p.x << "," << c.p.y;
  pumpUntilIdle();
  rec().watch({WM_NCLBUTTONDOWN, WM_LBUTTONDOWN});
  testdriver::click(POINT{485, 200});
  pumpUntilIdle();
  ASSERT_EQ(rec().log().size(), 1u);
  EXPECT_EQ(rec().log()[0].message, WM_NCLBUTTONDOWN);
  EXPECT_EQ(rec().log()[0].wParam, static_cast<WPARAM>(HTVSCROLL));
}

// The box between two shown bars: a grip of the sizable window whose client
// corner it reaches (within an edge), found through caption-less children;
// a plain size box anywhere else.
TEST_F(WindowTest, SizeBoxBetweenTheBarsIsAGripOnlyInASizableWindowsCorner) {
  const DWORD bars = WS_VSCROLL | WS_HSCROLL;
  struct Case {
    const char* name;
    DWORD topStyle;
    DWORD childStyle;  // 0: the bars are the top-level window's own
    int shortBy;       // how far the child's corner stops short of the client's corner
    int hit;
  } cases[] = {
      {"sizable window's own bars", WS_OVERLAPPEDWINDOW | bars, 0, 0, HTBOTTOMRIGHT},
      {"fixed window's own bars", WS_POPUP | WS_CAPTION | bars, 0, 0, HTSIZE},
      {"maximized window", WS_OVERLAPPEDWINDOW | WS_MAXIMIZE | bars, 0, 0, HTSIZE},
      {"child filling a sizable window", WS_OVERLAPPEDWINDOW, WS_CHILD | bars, 0, HTBOTTOMRIGHT},
      {"child past the corner", WS_OVERLAPPEDWINDOW, WS_CHILD | bars, -2, HTBOTTOMRIGHT},
      {"child an edge short", WS_OVERLAPPEDWINDOW, WS_CHILD | bars, 2, HTBOTTOMRIGHT},
      {"child more than an edge short", WS_OVERLAPPEDWINDOW, WS_CHILD | bars, 3, HTSIZE},
      {"child with a caption", WS_OVERLAPPEDWINDOW, WS_CHILD | WS_CAPTION | bars, 0, HTSIZE},
      {"child of a fixed window", WS_POPUP | WS_CAPTION, WS_CHILD | bars, 0, HTSIZE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HWND top = CreateWindowExW(0, kPlainClass, u"", c.topStyle | WS_VISIBLE, 100, 100, 400, 300, nullptr, nullptr,
                               nullptr, nullptr);
    mWindows.push_back(top);
    HWND w = top;
    if (c.childStyle) {
      RECT client;
      GetClientRect(top, &client);
      w = CreateWindowExW(0, kPlainClass, u"", c.childStyle | WS_VISIBLE, 0, 0, client.right - c.shortBy,
                          client.bottom - c.shortBy, top, nullptr, nullptr, nullptr);
    }
    // The box is the 17 x 17 square beyond the client area's bottom-right corner.
    RECT client;
    GetClientRect(w, &client);
    POINT corner{client.right, client.bottom};
    ClientToScreen(w, &corner);
    auto hitAt = [&](int dx, int dy) {
      return SendMessageW(w, WM_NCHITTEST, 0, MAKELPARAM(corner.x + dx, corner.y + dy));
    };
    EXPECT_EQ(hitAt(0, 0), c.hit);
    EXPECT_EQ(hitAt(16, 16), c.hit);
    EXPECT_EQ(hitAt(-1, 8), HTHSCROLL);
    EXPECT_EQ(hitAt(8, -1), HTVSCROLL);
    // Over a grip the pointer is the diagonal size cursor.
    testdriver::mouseMove(POINT{corner.x + 8, corner.y + 8});
    pumpUntilIdle();
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, c.hit == HTBOTTOMRIGHT ? IDC_SIZENWSE : IDC_ARROW));
    DestroyWindow(top);
  }
}

// Owned windows stay above their owner: activating the owner (a click into it) leaves
// its dialog, and the dialog's own popup, on top where they overlap it.
TEST_F(WindowTest, OwnedWindowsStayAboveTheirOwner) {
  HWND main = make("main", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300);
  HWND other = make("other", WS_POPUP | WS_VISIBLE, 300, 0, 200, 200);
  HWND dialog = make("dialog", WS_POPUP | WS_VISIBLE, 50, 50, 100, 100, main);
  HWND popup = make("popup", WS_POPUP | WS_VISIBLE, 60, 60, 20, 20, dialog);
  SetActiveWindow(other);
  EXPECT_EQ(WindowFromPoint(POINT{320, 20}), other);
  SetActiveWindow(main);
  EXPECT_EQ(WindowFromPoint(POINT{70, 70}), popup);
  EXPECT_EQ(WindowFromPoint(POINT{100, 100}), dialog);
  EXPECT_EQ(WindowFromPoint(POINT{320, 20}), main);
  SetActiveWindow(other);
  EXPECT_EQ(WindowFromPoint(POINT{320, 20}), other);
  EXPECT_EQ(WindowFromPoint(POINT{100, 100}), dialog);
}
