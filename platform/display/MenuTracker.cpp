// Menu bars in menu mode and tracked popup menus on the desktop.
#include "platform/display/MenuTracker.h"

#include <gdk/gdkkeysyms.h>

#include "platform/display/GtkDesktop.h"
#include "platform/display/TopWindow.h"
#include "platform/user/MenuState.h"
#include "platform/user/Mnemonic.h"
#include "platform/user/User.h"

namespace platform::display {

namespace {

using platform::user::findMenuObject;
using platform::user::Menu;
using platform::user::MenuItem;

char16_t upper(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; }

int itemWithMnemonic(HMENU menu, char16_t ch) {
  Menu* m = findMenuObject(menu);
  if (!m || !ch) return -1;
  for (size_t i = 0; i < m->items.size(); ++i)
    if (!(m->items[i].flags & MF_SEPARATOR) && upper(mnemonicOf(m->items[i].text)) == upper(ch))
      return static_cast<int>(i);
  return -1;
}

const MenuItem* itemAt(HMENU menu, int row) {
  Menu* m = findMenuObject(menu);
  if (!m || row < 0 || row >= static_cast<int>(m->items.size())) return nullptr;
  return &m->items[static_cast<size_t>(row)];
}

}  // namespace

MenuTracker::~MenuTracker() { closeLevelsFrom(0); }

// Entering and leaving -------------------------------------------------

void MenuTracker::startKeyboard(HWND top, char16_t ch) {
  if (mActive) return;
  if (!ch) {
    mBar = top;  // for nextBarItem
    int first = nextBarItem(-1, 1);
    mBar = nullptr;
    enterBar(top, first, false);
    return;
  }
  int item = itemWithMnemonic(GetMenu(top), ch);
  if (item >= 0) enterBar(top, item, true);
}

void MenuTracker::clickBar(HWND top, POINT screen) {
  TopWindow* w = mDesktop.find(top);
  if (!w) return;
  if (!mActive) {
    mBar = top;  // for barItemAt
    int item = barItemAt(screen);
    mBar = nullptr;
    if (item < 0) return;
    enterBar(top, item, true);
    mPressedOnBarItem = true;
  }
}

void MenuTracker::enterBar(HWND top, int item, bool open) {
  if (item < 0 || !GetMenu(top)) return;
  mActive = true;
  mTracking = false;
  mBar = mOwner = top;
  mResult = 0;
  mBarItem = -1;
  SendMessageW(top, WM_INITMENU, reinterpret_cast<WPARAM>(GetMenu(top)), 0);
  if (TopWindow* w = mDesktop.find(top)) grab(w->gtkWindow() ? GTK_WIDGET(w->gtkWindow()) : nullptr);
  selectBar(item, open);
}

void MenuTracker::selectBar(int item, bool open) {
  closeLevelsFrom(0);
  mBarItem = item;
  TopWindow* w = mDesktop.find(mBar);
  if (!w) return;
  w->setMenuHighlight(item);
  if (!open) return;
  HMENU popup = GetSubMenu(GetMenu(mBar), item);
  if (!popup) return;
  std::vector<RECT> items = menuBarItemRects(mBar);
  if (item >= static_cast<int>(items.size())) return;
  const RECT& bar = w->layout().menuBar;
  openPopup(popup, POINT{bar.left + items[item].left, bar.bottom}, item);
}

UINT MenuTracker::track(HMENU menu, POINT screen, HWND owner) {
  if (mActive) return 0;
  mActive = true;
  mTracking = true;
  mBar = nullptr;
  mOwner = owner;
  mResult = 0;
  openPopup(menu, screen, -1);
  if (mLevels.empty()) {
    mActive = false;
    return 0;
  }
  while (mActive) {
    MSG m;
    if (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (m.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(m.wParam));
        finish(0);
        break;
      }
      TranslateMessage(&m);
      DispatchMessageW(&m);
    } else {
      mDesktop.wait(0xFFFFFFFF);
    }
  }
  return mResult;
}

void MenuTracker::finish(UINT command) {
  closeLevelsFrom(0);
  ungrab();
  if (TopWindow* w = mDesktop.find(mBar)) w->setMenuHighlight(-1);
  bool fromBar = !mTracking;
  HWND owner = mBar;
  mActive = false;
  mTracking = false;
  mBar = nullptr;
  mBarItem = -1;
  mResult = command;
  if (fromBar && command) {
    mDesktop.later([owner, command] { chooseMenuCommand(owner, command); });
  }
}

// Popups ----------------------------------------------------------------

void MenuTracker::openPopup(HMENU menu, POINT origin, int itemInParent) {
  if (!findMenuObject(menu)) return;
  if (!mLevels.empty() || mBar)
    SendMessageW(mOwner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(itemInParent, 0));
  Level level;
  level.menu = menu;
  level.pixels = popupMenuPixels(menu);
  level.rows = popupMenuItemRects(menu);
  RECT screen = mDesktop.monitor();
  if (origin.y + level.pixels.height > screen.bottom)
    origin.y = std::max<LONG>(screen.top, screen.bottom - level.pixels.height);
  if (origin.x + level.pixels.width > screen.right)
    origin.x = std::max<LONG>(screen.left, screen.right - level.pixels.width);
  level.origin = origin;
  level.window = gtk_window_new(GTK_WINDOW_POPUP);
  g_object_ref_sink(level.window);
  gtk_window_set_type_hint(GTK_WINDOW(level.window), GDK_WINDOW_TYPE_HINT_POPUP_MENU);
  gtk_widget_set_app_paintable(level.window, TRUE);
  gtk_widget_add_events(
      level.window, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_POINTER_MOTION_MASK | GDK_KEY_PRESS_MASK);
  gtk_widget_set_size_request(level.window, level.pixels.width, level.pixels.height);
  gtk_window_move(GTK_WINDOW(level.window), origin.x, origin.y);
  if (TopWindow* w = mDesktop.find(mOwner ? GetAncestor(mOwner, GA_ROOT) : nullptr))
    gtk_window_set_transient_for(GTK_WINDOW(level.window), w->gtkWindow());
  g_signal_connect(level.window, "draw", G_CALLBACK(onDraw), this);
  g_signal_connect(level.window, "button-press-event", G_CALLBACK(onButton), this);
  g_signal_connect(level.window, "button-release-event", G_CALLBACK(onButton), this);
  g_signal_connect(level.window, "motion-notify-event", G_CALLBACK(onMotion), this);
  g_signal_connect(level.window, "key-press-event", G_CALLBACK(onKey), this);
  mLevels.push_back(std::move(level));
  gtk_widget_show(mLevels.back().window);
  if (mLevels.size() == 1) grab(mLevels.back().window);
  if (mBar)
    select(mLevels.back(), nextRow(mLevels.back(), -1, 1));  // keyboard-opened popups select their first item
}

void MenuTracker::closeLevelsFrom(size_t depth) {
  while (mLevels.size() > depth) {
    Level& l = mLevels.back();
    g_signal_handlers_disconnect_by_data(l.window, this);
    gtk_widget_destroy(l.window);
    g_object_unref(l.window);
    mLevels.pop_back();
  }
  if (depth == 0 && mActive && !mTracking) {
    // Back to the bar: the grab goes with the bar's window.
    if (TopWindow* w = mDesktop.find(mBar)) grab(GTK_WIDGET(w->gtkWindow()));
  }
}

void MenuTracker::select(Level& level, int row) {
  if (row == level.selected) return;
  level.selected = row;
  level.pixels = popupMenuPixels(level.menu, row);
  gtk_widget_queue_draw(level.window);
}

// Enter (or a click) on a row: a popup opens, a command is chosen.
void MenuTracker::activateRow(size_t depth, int row) {
  Level& level = mLevels[depth];
  const MenuItem* item = itemAt(level.menu, row);
  if (!item) return;
  if (item->popup) {
    closeLevelsFrom(depth + 1);
    const RECT& r = level.rows[static_cast<size_t>(row)];
    openPopup(item->popup, POINT{level.origin.x + r.right, level.origin.y + r.top - 2}, row);
    return;
  }
  if (platform::user::choosable(*item)) finish(item->id);
}

void MenuTracker::grab(GtkWidget* window) {
  ungrab();
  if (!window) return;
  GdkWindow* g = gtk_widget_get_window(window);
  if (!g) return;
  GdkSeat* seat = gdk_display_get_default_seat(gdk_window_get_display(g));
  if (gdk_seat_grab(seat, g, GDK_SEAT_CAPABILITY_ALL, TRUE, nullptr, nullptr, nullptr, nullptr) == GDK_GRAB_SUCCESS)
    mGrabbed = seat;
}

void MenuTracker::ungrab() {
  if (mGrabbed) gdk_seat_ungrab(mGrabbed);
  mGrabbed = nullptr;
}

// Geometry ----------------------------------------------------------------

bool MenuTracker::hit(POINT screen, size_t* depth, int* row) const {
  for (size_t d = mLevels.size(); d-- > 0;) {
    const Level& l = mLevels[d];
    POINT local{screen.x - l.origin.x, screen.y - l.origin.y};
    RECT box{0, 0, l.pixels.width, l.pixels.height};
    if (!PtInRect(&box, local)) continue;
    *depth = d;
    *row = -1;
    for (size_t i = 0; i < l.rows.size(); ++i)
      if (PtInRect(&l.rows[i], local)) *row = static_cast<int>(i);
    return true;
  }
  return false;
}

int MenuTracker::barItemAt(POINT screen) const {
  TopWindow* w = mDesktop.find(mBar);
  if (!w) return -1;
  const RECT& bar = w->layout().menuBar;
  if (!PtInRect(&bar, screen)) return -1;
  std::vector<RECT> items = menuBarItemRects(mBar);
  POINT local{screen.x - bar.left, screen.y - bar.top};
  for (size_t i = 0; i < items.size(); ++i)
    if (PtInRect(&items[i], local)) return static_cast<int>(i);
  return -1;
}

int MenuTracker::barItemCount() const { return mBar ? GetMenuItemCount(GetMenu(mBar)) : 0; }

int MenuTracker::nextBarItem(int from, int step) const {
  int n = barItemCount();
  if (n <= 0) return -1;
  for (int i = 1; i <= n; ++i) {
    int k = ((from + step * i) % n + n) % n;
    if (!(GetMenuState(GetMenu(mBar), static_cast<UINT>(k), MF_BYPOSITION) & MF_SEPARATOR)) return k;
  }
  return -1;
}

int MenuTracker::nextRow(const Level& level, int from, int step) const {
  Menu* m = findMenuObject(level.menu);
  int n = m ? static_cast<int>(m->items.size()) : 0;
  for (int i = 1; i <= n; ++i) {
    int k = ((from + step * i) % n + n) % n;
    if (!(m->items[static_cast<size_t>(k)].flags & MF_SEPARATOR)) return k;
  }
  return -1;
}

// Input -----------------------------------------------------------------

void MenuTracker::key(const GdkEventKey* e, int vk) {
  if (!mActive) return;
  Level* top = mLevels.empty() ? nullptr : &mLevels.back();
  size_t depth = mLevels.size();
  switch (vk) {
    case VK_ESCAPE:
      if (depth > 1 || (depth == 1 && mBar)) closeLevelsFrom(depth - 1);
      else finish(0);
      return;
    case VK_MENU:
    case VK_LMENU:
    case VK_RMENU:
    case VK_F10: finish(0); return;
    case VK_UP:
    case VK_DOWN:
      if (top) select(*top, nextRow(*top, top->selected, vk == VK_DOWN ? 1 : -1));
      else if (vk == VK_DOWN) selectBar(mBarItem, true);
      return;
    case VK_LEFT:
    case VK_RIGHT: {
      const MenuItem* item = top ? itemAt(top->menu, top->selected) : nullptr;
      if (vk == VK_RIGHT && item && item->popup) {
        activateRow(depth - 1, top->selected);
        return;
      }
      if (vk == VK_LEFT && depth > 1) {
        closeLevelsFrom(depth - 1);
        return;
      }
      if (mBar) selectBar(nextBarItem(mBarItem, vk == VK_RIGHT ? 1 : -1), depth > 0);
      return;
    }
    case VK_RETURN:
    case VK_SPACE:
      if (top && top->selected >= 0) activateRow(depth - 1, top->selected);
      else if (!top && mBar) selectBar(mBarItem, true);
      return;
    default: break;
  }
  gunichar ch = gdk_keyval_to_unicode(e->keyval);
  if (!ch || ch > 0xFFFF) return;
  if (top) {
    int row = itemWithMnemonic(top->menu, static_cast<char16_t>(ch));
    if (row >= 0) {
      select(*top, row);
      activateRow(depth - 1, row);
    }
  } else if (mBar) {
    int item = itemWithMnemonic(GetMenu(mBar), static_cast<char16_t>(ch));
    if (item >= 0) selectBar(item, true);
  }
}

void MenuTracker::button(POINT screen, bool press) {
  if (!mActive) return;
  size_t depth = 0;
  int row = -1;
  if (hit(screen, &depth, &row)) {
    if (!press && row >= 0) activateRow(depth, row);
    return;
  }
  int barItem = barItemAt(screen);
  if (barItem >= 0) {
    if (press && barItem == mBarItem && !mLevels.empty() && !mPressedOnBarItem) {
      finish(0);  // a second click on the open item closes the menu
      return;
    }
    if (press && (barItem != mBarItem || mLevels.empty())) selectBar(barItem, true);
    mPressedOnBarItem = false;
    return;
  }
  mPressedOnBarItem = false;
  if (press) finish(0);  // a click outside dismisses
}

void MenuTracker::motion(POINT screen) {
  if (!mActive) return;
  size_t depth = 0;
  int row = -1;
  if (hit(screen, &depth, &row)) {
    Level& l = mLevels[depth];
    if (row >= 0 && row != l.selected) {
      select(l, row);
      const MenuItem* item = itemAt(l.menu, row);
      closeLevelsFrom(depth + 1);
      if (item && item->popup) activateRow(depth, row);
    }
    return;
  }
  int barItem = barItemAt(screen);
  if (barItem >= 0 && barItem != mBarItem && !mLevels.empty()) selectBar(barItem, true);
}

gboolean MenuTracker::onDraw(GtkWidget* widget, cairo_t* cr, gpointer self) {
  auto* t = static_cast<MenuTracker*>(self);
  for (Level& l : t->mLevels) {
    if (l.window != widget || l.pixels.width <= 0) continue;
    cairo_surface_t* image = cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(l.pixels.pixels.data()), CAIRO_FORMAT_RGB24, l.pixels.width,
        l.pixels.height, l.pixels.width * 4);
    cairo_set_source_surface(cr, image, 0, 0);
    cairo_paint(cr);
    cairo_surface_destroy(image);
  }
  return TRUE;
}

namespace {

POINT screenOf(GtkWidget* widget, double x, double y) {
  int ox = 0, oy = 0;
  if (GdkWindow* g = gtk_widget_get_window(widget)) gdk_window_get_origin(g, &ox, &oy);
  return POINT{ox + static_cast<LONG>(x), oy + static_cast<LONG>(y)};
}

}  // namespace

gboolean MenuTracker::onButton(GtkWidget* widget, GdkEventButton* e, gpointer self) {
  if (e->type != GDK_BUTTON_PRESS && e->type != GDK_BUTTON_RELEASE) return TRUE;
  // Events outside every window of ours come here too, through the grab.
  POINT screen = screenOf(widget, e->x, e->y);
  if (GdkWindow* under = e->window; under != gtk_widget_get_window(widget)) {
    int ox = 0, oy = 0;
    gdk_window_get_origin(under, &ox, &oy);
    screen = POINT{ox + static_cast<LONG>(e->x), oy + static_cast<LONG>(e->y)};
  }
  static_cast<MenuTracker*>(self)->button(screen, e->type == GDK_BUTTON_PRESS);
  return TRUE;
}

gboolean MenuTracker::onMotion(GtkWidget* widget, GdkEventMotion* e, gpointer self) {
  static_cast<MenuTracker*>(self)->motion(screenOf(widget, e->x, e->y));
  return TRUE;
}

gboolean MenuTracker::onKey(GtkWidget*, GdkEventKey* e, gpointer self) {
  static_cast<MenuTracker*>(self)->key(e, virtualKeyOf(e));
  return TRUE;
}

}  // namespace platform::display
