// A top-level window of the layer on the desktop.
#include "platform/display/TopWindow.h"

#include <cmath>

#include "platform/CodePage.h"
#include "platform/display/GtkDesktop.h"
#include "platform/display/Text.h"
#include "platform/user/DropFiles.h"
#include "platform/user/Imm.h"
#include "platform/user/Inject.h"
#include "platform/user/ScrollBarDraw.h"
#include "platform/user/State.h"
#include "platform/user/User.h"

namespace platform::display {

namespace {

constexpr int VK_PROCESSKEY = 0xE5;

bool isTooltip(HWND hwnd) {
  platform::user::WindowRef w = platform::user::findWindow(hwnd);
  return w && w->cls && w->cls->name == u"tooltips_class32";
}

// The layer's surface wrapped for cairo without copying (0x00RRGGBB rows
// are cairo's RGB24 on this machine's byte order).
cairo_surface_t* wrap(Surface& s) {
  return cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(s.pixels.data()), CAIRO_FORMAT_RGB24,
                                             s.width, s.height, s.width * 4);
}

void setColor(cairo_t* cr, DWORD bgr) {
  cairo_set_source_rgb(cr, (bgr & 0xFF) / 255.0, ((bgr >> 8) & 0xFF) / 255.0, ((bgr >> 16) & 0xFF) / 255.0);
}

RECT offsetRect(RECT r, int dx, int dy) { return RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}; }

bool keyDown(int vk) { return GetAsyncKeyState(vk) < 0; }

// A shown, enabled window that `owner` owns (a modal dialog over it).
HWND enabledPopupOf(HWND owner) {
  for (HWND t : platform::user::state().topLevels) {
    platform::user::WindowRef w = platform::user::findWindow(t);
    if (w && w->owner == owner && (w->style & WS_VISIBLE) && !(w->style & WS_DISABLED)) return t;
  }
  return nullptr;
}

}  // namespace

TopWindow::TopWindow(GtkDesktop& desktop, HWND hwnd) : mDesktop(desktop), mHwnd(hwnd) {
  mWindow = gtk_window_new(isTooltip(hwnd) ? GTK_WINDOW_POPUP : GTK_WINDOW_TOPLEVEL);
  g_object_ref_sink(mWindow);
  gtk_widget_set_app_paintable(mWindow, TRUE);
  gtk_window_set_gravity(GTK_WINDOW(mWindow), GDK_GRAVITY_STATIC);
  gtk_widget_add_events(mWindow, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_POINTER_MOTION_MASK |
                                     GDK_SCROLL_MASK | GDK_SMOOTH_SCROLL_MASK | GDK_KEY_PRESS_MASK |
                                     GDK_KEY_RELEASE_MASK | GDK_FOCUS_CHANGE_MASK | GDK_STRUCTURE_MASK |
                                     GDK_ENTER_NOTIFY_MASK);
  g_signal_connect(mWindow, "draw", G_CALLBACK(onDraw), this);
  g_signal_connect(mWindow, "button-press-event", G_CALLBACK(onButton), this);
  g_signal_connect(mWindow, "button-release-event", G_CALLBACK(onButton), this);
  g_signal_connect(mWindow, "motion-notify-event", G_CALLBACK(onMotion), this);
  g_signal_connect(mWindow, "scroll-event", G_CALLBACK(onScroll), this);
  g_signal_connect(mWindow, "key-press-event", G_CALLBACK(onKey), this);
  g_signal_connect(mWindow, "key-release-event", G_CALLBACK(onKey), this);
  g_signal_connect(mWindow, "focus-in-event", G_CALLBACK(onFocus), this);
  g_signal_connect(mWindow, "focus-out-event", G_CALLBACK(onFocus), this);
  g_signal_connect(mWindow, "configure-event", G_CALLBACK(onConfigure), this);
  g_signal_connect(mWindow, "delete-event", G_CALLBACK(onDelete), this);
  g_signal_connect(mWindow, "realize", G_CALLBACK(onRealize), this);
  static GtkTargetEntry uriTarget{const_cast<gchar*>("text/uri-list"), 0, 0};
  gtk_drag_dest_set(mWindow, GTK_DEST_DEFAULT_DROP, &uriTarget, 1, GDK_ACTION_COPY);
  g_signal_connect(mWindow, "drag-motion", G_CALLBACK(onDragMotion), this);
  g_signal_connect(mWindow, "drag-data-received", G_CALLBACK(onDragData), this);
  mIm = gtk_im_multicontext_new();
  g_signal_connect(mIm, "commit", G_CALLBACK(onCommit), this);
  g_signal_connect(mIm, "preedit-start", G_CALLBACK(onPreeditStart), this);
  g_signal_connect(mIm, "preedit-changed", G_CALLBACK(onPreeditChanged), this);
  g_signal_connect(mIm, "preedit-end", G_CALLBACK(onPreeditEnd), this);
  sync();
}

TopWindow::~TopWindow() {
  g_signal_handlers_disconnect_by_data(mIm, this);
  gtk_im_context_set_client_window(mIm, nullptr);
  g_object_unref(mIm);
  g_signal_handlers_disconnect_by_data(mWindow, this);
  gtk_widget_destroy(mWindow);
  g_object_unref(mWindow);
}

void TopWindow::show(bool shown) {
  if (shown == mShown) return;
  mShown = shown;
  if (!shown) {
    gtk_widget_hide(mWindow);
    return;
  }
  sync();
  gtk_widget_show(mWindow);
  if (GetActiveWindow() == mHwnd) activate();
}

void TopWindow::sync() {
  auto layout = frameLayout(mHwnd);
  if (!layout) return;
  bool widthChanged = layout->frame.right - layout->frame.left != mLayout.frame.right - mLayout.frame.left;
  mLayout = *layout;
  if (widthChanged) mMenuStale = true;
  GtkWindow* w = GTK_WINDOW(mWindow);
  platform::user::WindowRef win = platform::user::findWindow(mHwnd);
  bool resizable = win && (win->style & WS_THICKFRAME);
  if (gtk_window_get_decorated(w) != mLayout.decorated) gtk_window_set_decorated(w, mLayout.decorated);
  if (gtk_window_get_resizable(w) != resizable) gtk_window_set_resizable(w, resizable);
  TopWindow* owner = mDesktop.find(mLayout.owner);
  GtkWindow* parent = owner ? owner->gtkWindow() : nullptr;
  if (gtk_window_get_transient_for(w) != parent) gtk_window_set_transient_for(w, parent);
  if (!gtk_widget_get_realized(mWindow)) {
    GdkWindowTypeHint hint = mLayout.decorated ? (owner ? GDK_WINDOW_TYPE_HINT_DIALOG : GDK_WINDOW_TYPE_HINT_NORMAL)
                             : isTooltip(mHwnd) ? GDK_WINDOW_TYPE_HINT_TOOLTIP
                                                : GDK_WINDOW_TYPE_HINT_UTILITY;
    gtk_window_set_type_hint(w, hint);
    gtk_window_set_skip_taskbar_hint(w, owner != nullptr || !mLayout.decorated);
  }
  syncTitle();
  placeOnDesktop();
  gtk_widget_queue_draw(mWindow);
}

void TopWindow::placeOnDesktop() {
  const RECT& f = mLayout.frame;
  if (mPlaced && f.left == mAskedFrame.left && f.top == mAskedFrame.top && f.right == mAskedFrame.right &&
      f.bottom == mAskedFrame.bottom)
    return;
  mPlaced = true;
  mAskedFrame = f;
  int width = std::max<int>(f.right - f.left, 1), height = std::max<int>(f.bottom - f.top, 1);
  GtkWindow* w = GTK_WINDOW(mWindow);
  if (!gtk_window_get_resizable(w)) gtk_widget_set_size_request(mWindow, width, height);
  else gtk_widget_set_size_request(mWindow, 1, 1);
  gtk_window_resize(w, width, height);
  gtk_window_move(w, f.left, f.top);
}

void TopWindow::syncTitle() { gtk_window_set_title(GTK_WINDOW(mWindow), wideToUtf8(windowText(mHwnd)).c_str()); }

void TopWindow::activate() {
  if (!mShown || isTooltip(mHwnd)) return;
  if (!gtk_window_is_active(GTK_WINDOW(mWindow)))
    gtk_window_present_with_time(GTK_WINDOW(mWindow), gtk_get_current_event_time());
}

void TopWindow::menuBarChanged() {
  mMenuStale = true;
  if (mLayout.menuBar.right > mLayout.menuBar.left) {
    RECT m = offsetRect(mLayout.menuBar, -mLayout.frame.left, -mLayout.frame.top);
    gtk_widget_queue_draw_area(mWindow, m.left, m.top, m.right - m.left, m.bottom - m.top);
  }
}

void TopWindow::scrollBarsChanged() {
  RECT c = offsetRect(mLayout.client, -mLayout.frame.left, -mLayout.frame.top);
  int t = GetSystemMetrics(SM_CXVSCROLL);
  gtk_widget_queue_draw_area(mWindow, c.right, c.top, t, c.bottom - c.top + t);
  gtk_widget_queue_draw_area(mWindow, c.left, c.bottom, c.right - c.left + t, t);
}

void TopWindow::setMenuHighlight(int highlighted) {
  if (highlighted == mMenuHighlight) return;
  mMenuHighlight = highlighted;
  menuBarChanged();
}

void TopWindow::surfaceDrawn(RECT area) {
  int dx = mLayout.client.left - mLayout.frame.left, dy = mLayout.client.top - mLayout.frame.top;
  gtk_widget_queue_draw_area(mWindow, area.left + dx, area.top + dy, area.right - area.left,
                             area.bottom - area.top);
  mQueued = true;
}

void TopWindow::presentNow() {
  if (!mQueued) return;
  mQueued = false;
  GdkWindow* g = gdkWindow();
  if (!g || !mShown) return;
  // The layer has finished its painting: the frame goes out now rather than
  // at the next tick of the toolkit's frame clock.
  G_GNUC_BEGIN_IGNORE_DEPRECATIONS
  gdk_window_process_updates(g, FALSE);
  G_GNUC_END_IGNORE_DEPRECATIONS
}

void TopWindow::setCursor(GdkCursor* cursor) {
  if (GdkWindow* g = gdkWindow()) gdk_window_set_cursor(g, cursor);
}

void TopWindow::placeComposition(POINT frame) {
  GdkRectangle r{frame.x, frame.y, 1, 20};
  gtk_im_context_set_cursor_location(mIm, &r);
}

POINT TopWindow::toScreen(double x, double y) const {
  return POINT{mLayout.frame.left + static_cast<LONG>(std::floor(x)),
               mLayout.frame.top + static_cast<LONG>(std::floor(y))};
}

std::vector<RECT> TopWindow::takePresented() {
  std::vector<RECT> out;
  out.swap(mPresented);
  return out;
}

// Drawing ----------------------------------------------------------------

gboolean TopWindow::onDraw(GtkWidget*, cairo_t* cr, gpointer self) {
  static_cast<TopWindow*>(self)->draw(cr);
  return TRUE;
}

void TopWindow::draw(cairo_t* cr) {
  platform::user::WindowRef win = platform::user::findWindow(mHwnd);
  if (!win) return;
  const RECT& f = mLayout.frame;
  RECT client = offsetRect(mLayout.client, -f.left, -f.top);
  drawFrame(cr);
  Surface* s = win->surface.get();
  if (!s || s->width <= 0 || s->height <= 0) return;
  // What this draw presents of the surface: the toolkit's clip within the client area.
  if (cairo_rectangle_list_t* clips = cairo_copy_clip_rectangle_list(cr)) {
    if (clips->status == CAIRO_STATUS_SUCCESS)
      for (int i = 0; i < clips->num_rectangles; ++i) {
        const cairo_rectangle_t& c = clips->rectangles[i];
        RECT r{static_cast<LONG>(c.x), static_cast<LONG>(c.y), static_cast<LONG>(c.x + c.width),
               static_cast<LONG>(c.y + c.height)};
        RECT in;
        if (IntersectRect(&in, &r, &client)) mPresented.push_back(offsetRect(in, -client.left, -client.top));
      }
    cairo_rectangle_list_destroy(clips);
  }
  cairo_surface_t* image = wrap(*s);
  cairo_save(cr);
  cairo_rectangle(cr, client.left, client.top, s->width, s->height);
  cairo_clip(cr);
  cairo_set_source_surface(cr, image, client.left, client.top);
  // At a whole-number scale each layer pixel becomes a block of device pixels: sharp.
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_paint(cr);
  cairo_restore(cr);
  cairo_surface_destroy(image);
}

// The parts of the frame the layer does not paint: the menu bar (from the
// menu's own picture), client edges, scroll bars and the border of an
// undecorated popup.
void TopWindow::drawFrame(cairo_t* cr) {
  const RECT& f = mLayout.frame;
  RECT client = offsetRect(mLayout.client, -f.left, -f.top);
  int width = f.right - f.left, height = f.bottom - f.top;
  bool clientFills = client.left == 0 && client.top == 0 && client.right == width && client.bottom == height;
  if (clientFills) return;
  cairo_save(cr);
  setColor(cr, GetSysColor(COLOR_BTNFACE));
  cairo_rectangle(cr, 0, 0, width, height);
  cairo_rectangle(cr, client.left, client.top, client.right - client.left, client.bottom - client.top);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
  cairo_fill(cr);
  if (!mLayout.decorated) {
    setColor(cr, 0x00646464);
    cairo_set_line_width(cr, 1);
    cairo_rectangle(cr, 0.5, 0.5, width - 1, height - 1);
    cairo_stroke(cr);
  }
  drawScrollBars(cr, client);
  if (mLayout.menuBar.right > mLayout.menuBar.left) {
    if (mMenuStale) {
      mMenuBar = menuBarPixels(mHwnd, mMenuHighlight);
      mMenuStale = false;
    }
    RECT m = offsetRect(mLayout.menuBar, -f.left, -f.top);
    if (mMenuBar.width > 0) {
      cairo_surface_t* image = wrap(mMenuBar);
      cairo_rectangle(cr, m.left, m.top, std::min<int>(mMenuBar.width, m.right - m.left), m.bottom - m.top);
      cairo_clip(cr);
      cairo_set_source_surface(cr, image, m.left, m.top);
      cairo_paint(cr);
      cairo_surface_destroy(image);
    }
  }
  cairo_restore(cr);
}

// The layer's standard scroll bars at the client area's right and bottom
// edges (the size box comes with the vertical bar).
void TopWindow::drawScrollBars(cairo_t* cr, RECT client) {
  for (int bar : {SB_VERT, SB_HORZ}) {
    Surface pixels = scrollBarPixels(mHwnd, bar);
    if (pixels.width <= 0 || pixels.height <= 0) continue;
    int x = bar == SB_VERT ? client.right : client.left;
    int y = bar == SB_VERT ? client.top : client.bottom;
    cairo_surface_t* image = wrap(pixels);
    cairo_save(cr);
    cairo_rectangle(cr, x, y, pixels.width, pixels.height);
    cairo_clip(cr);
    cairo_set_source_surface(cr, image, x, y);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_surface_destroy(image);
  }
}

// Input ------------------------------------------------------------------

gboolean TopWindow::onButton(GtkWidget*, GdkEventButton* e, gpointer self) {
  auto* w = static_cast<TopWindow*>(self);
  if (e->type != GDK_BUTTON_PRESS && e->type != GDK_BUTTON_RELEASE) return TRUE;  // the layer makes double clicks
  bool press = e->type == GDK_BUTTON_PRESS;
  POINT screen = w->toScreen(e->x, e->y);
  GtkDesktop& d = w->mDesktop;
  d.pointerIn(w);
  if (d.menus().active()) {
    d.menus().button(screen, press);
    return TRUE;
  }
  if (press && e->button == 1 && PtInRect(&w->mLayout.menuBar, screen)) {
    d.menus().clickBar(w->mHwnd, screen);
    return TRUE;
  }
  w->syncModifiers(e->state, 0);
  UINT message = 0;
  switch (e->button) {
    case 1: message = press ? WM_LBUTTONDOWN : WM_LBUTTONUP; break;
    case 2: message = press ? WM_MBUTTONDOWN : WM_MBUTTONUP; break;
    case 3: message = press ? WM_RBUTTONDOWN : WM_RBUTTONUP; break;
    default: return TRUE;
  }
  injectMouse(message, screen);
  return TRUE;
}

gboolean TopWindow::onMotion(GtkWidget*, GdkEventMotion* e, gpointer self) {
  auto* w = static_cast<TopWindow*>(self);
  POINT screen = w->toScreen(e->x, e->y);
  w->mDesktop.pointerIn(w);
  if (w->mDesktop.menus().active()) {
    w->mDesktop.menus().motion(screen);
    return TRUE;
  }
  injectMouse(WM_MOUSEMOVE, screen);
  return TRUE;
}

gboolean TopWindow::onScroll(GtkWidget*, GdkEventScroll* e, gpointer self) {
  auto* w = static_cast<TopWindow*>(self);
  if (w->mDesktop.menus().active()) return TRUE;
  POINT screen = w->toScreen(e->x, e->y);
  w->syncModifiers(e->state, 0);
  auto send = [&](UINT message, double& pending) {
    // Smooth scrolling adds up to whole notches of WHEEL_DELTA.
    int notches = static_cast<int>(pending);
    if (!notches) return;
    pending -= notches;
    injectMouse(message, screen, notches * WHEEL_DELTA);
  };
  switch (e->direction) {
    case GDK_SCROLL_UP: w->mWheel += 1; break;
    case GDK_SCROLL_DOWN: w->mWheel -= 1; break;
    case GDK_SCROLL_LEFT: w->mHWheel -= 1; break;
    case GDK_SCROLL_RIGHT: w->mHWheel += 1; break;
    case GDK_SCROLL_SMOOTH:
      w->mWheel -= e->delta_y;
      w->mHWheel += e->delta_x;
      break;
  }
  send(WM_MOUSEWHEEL, w->mWheel);
  send(WM_MOUSEHWHEEL, w->mHWheel);
  return TRUE;
}

gboolean TopWindow::onKey(GtkWidget*, GdkEventKey* e, gpointer self) {
  static_cast<TopWindow*>(self)->key(e);
  return TRUE;
}

void TopWindow::key(GdkEventKey* e) {
  mDesktop.keymap().noteGroup(e->group);
  bool press = e->type == GDK_KEY_PRESS;
  int vk = virtualKeyOf(e);
  int keycode = e->hardware_keycode & 0xFF;
  bool altGr = e->keyval == GDK_KEY_ISO_Level3_Shift;
  auto inject = [&](bool down) {
    if (altGr) injectKey(VK_LCONTROL, down, 0);  // AltGr is Ctrl+Alt to the layer
    if (vk) injectKey(vk, down, keycode);
  };
  if (mDesktop.menus().active()) {
    // Menu mode takes the keys; keys going up still reach the layer, which
    // saw them go down.
    if (press) mDesktop.menus().key(e, vk);
    else if (vk && keyDown(vk)) inject(false);
    return;
  }
  syncModifiers(e->state, vk);
  mFiltering = true;
  mCommittedWhileFiltering.clear();
  bool filtered = gtk_im_context_filter_keypress(mIm, e);
  mFiltering = false;
  std::string committed;
  committed.swap(mCommittedWhileFiltering);
  if (!filtered) {
    inject(press);
    return;
  }
  if (!press) {
    if (vk && keyDown(vk)) inject(false);
    return;
  }
  if (mComposing || committed.empty()) return;  // the input method keeps the key
  std::u16string text = utf8ToWide(committed);
  bool shift = keyDown(VK_SHIFT), ctrl = keyDown(VK_CONTROL), alt = keyDown(VK_MENU);
  bool caps = (GetKeyState(VK_CAPITAL) & 1) != 0;
  char16_t plain = vk ? characterForKey(vk, keycode, shift, caps, ctrl, alt) : 0;
  if (text.size() == 1 && plain == text[0]) {
    inject(true);  // an ordinary keystroke: TranslateMessage makes the same character
    return;
  }
  injectKey(VK_PROCESSKEY, true, 0);
  injectKey(VK_PROCESSKEY, false, 0);
  for (char16_t unit : text) injectChar(unit);
}

// Modifiers pressed or released while another window (or the menu bar in
// menu mode) had the keyboard leave the layer's state behind: the modifier
// state of each event puts it right, so that a key with Ctrl or Alt held is
// seen with them.
void TopWindow::syncModifiers(guint state, int exceptVk) {
  struct Modifier {
    guint mask;
    int left, right;
  };
  bool altGr = (state & GDK_MOD5_MASK) != 0;
  for (Modifier m :
       {Modifier{GDK_SHIFT_MASK, VK_LSHIFT, VK_RSHIFT}, Modifier{GDK_CONTROL_MASK, VK_LCONTROL, VK_RCONTROL},
        Modifier{GDK_MOD1_MASK, VK_LMENU, VK_RMENU}}) {
    if (altGr && m.mask != GDK_SHIFT_MASK) continue;  // AltGr keeps its own Ctrl and Alt
    const bool isThisKey = exceptVk == m.left || exceptVk == m.right;
    if (state & m.mask) {
      if (!isThisKey && !keyDown(m.left) && !keyDown(m.right)) injectKey(m.left, true, 0);
      continue;
    }
    for (int vk : {m.left, m.right})
      if (vk != exceptVk && keyDown(vk)) injectKey(vk, false, 0);
  }
}

gboolean TopWindow::onFocus(GtkWidget*, GdkEventFocus* e, gpointer self) {
  auto* w = static_cast<TopWindow*>(self);
  if (e->in) {
    gtk_im_context_focus_in(w->mIm);
    HWND hwnd = w->mHwnd;
    w->mDesktop.later([hwnd] {
      if (!IsWindow(hwnd) || GetActiveWindow() == hwnd) return;
      if (IsWindowEnabled(hwnd)) {
        SetActiveWindow(hwnd);
        return;
      }
      // A disabled owner hands the activation to the window that disabled it.
      if (HWND popup = enabledPopupOf(hwnd)) SetActiveWindow(popup);
    });
  } else {
    gtk_im_context_focus_out(w->mIm);
  }
  return FALSE;
}

gboolean TopWindow::onConfigure(GtkWidget* widget, GdkEventConfigure* e, gpointer self) {
  auto* w = static_cast<TopWindow*>(self);
  GdkWindow* g = gtk_widget_get_window(widget);
  if (!g || !w->mShown) return FALSE;
  int x = 0, y = 0;
  gdk_window_get_origin(g, &x, &y);
  RECT real{x, y, x + e->width, y + e->height};
  const RECT& asked = w->mAskedFrame;
  if (real.left == asked.left && real.top == asked.top && real.right == asked.right && real.bottom == asked.bottom)
    return FALSE;
  w->mAskedFrame = real;  // what the desktop did stands: the layer follows it
  HWND hwnd = w->mHwnd;
  w->mDesktop.later([hwnd, real] { frameMovedByDesktop(hwnd, real); });
  return FALSE;
}

gboolean TopWindow::onDelete(GtkWidget*, GdkEvent*, gpointer self) {
  auto* w = static_cast<TopWindow*>(self);
  // The program decides: WM_SYSCOMMAND SC_CLOSE becomes WM_CLOSE.
  if (IsWindowEnabled(w->mHwnd)) PostMessageW(w->mHwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
  return TRUE;
}

void TopWindow::onRealize(GtkWidget* widget, gpointer self) {
  auto* w = static_cast<TopWindow*>(self);
  gtk_im_context_set_client_window(w->mIm, gtk_widget_get_window(widget));
}

// Drag and drop -----------------------------------------------------------

gboolean TopWindow::onDragMotion(GtkWidget*, GdkDragContext* context, gint x, gint y, guint time, gpointer self) {
  auto* w = static_cast<TopWindow*>(self);
  bool accepts = dropTargetAt(w->toScreen(x, y)) != nullptr;
  gdk_drag_status(context, accepts ? GDK_ACTION_COPY : GdkDragAction(0), time);
  return TRUE;
}

void TopWindow::onDragData(GtkWidget*, GdkDragContext* context, gint x, gint y, GtkSelectionData* data, guint,
                           guint time, gpointer self) {
  auto* w = static_cast<TopWindow*>(self);
  const guchar* bytes = gtk_selection_data_get_data(data);
  int length = gtk_selection_data_get_length(data);
  bool ok = bytes && length > 0 &&
            w->drop(POINT{x, y}, std::string(reinterpret_cast<const char*>(bytes), static_cast<size_t>(length)));
  gtk_drag_finish(context, ok, FALSE, time);
}

bool TopWindow::drop(POINT framePoint, const std::string& uriList) {
  std::vector<std::u16string> paths;
  gchar** uris = g_uri_list_extract_uris(uriList.c_str());
  for (gchar** u = uris; u && *u; ++u) {
    if (gchar* file = g_filename_from_uri(*u, nullptr, nullptr)) {
      paths.push_back(utf8ToWide(file));
      g_free(file);
    }
  }
  g_strfreev(uris);
  if (paths.empty()) return false;
  return dropFilesAt(toScreen(framePoint.x, framePoint.y), paths) != nullptr;
}

// Input method ------------------------------------------------------------

namespace {

void sendToFocus(UINT message, WPARAM wParam, LPARAM lParam) {
  if (HWND focus = GetFocus()) SendMessageW(focus, message, wParam, lParam);
}

}  // namespace

void TopWindow::onCommit(GtkIMContext*, gchar* text, gpointer self) {
  auto* w = static_cast<TopWindow*>(self);
  if (w->mFiltering && !w->mComposing) {
    w->mCommittedWhileFiltering += text;  // decided by the key being filtered
    return;
  }
  w->committed(text);
}

void TopWindow::committed(const std::string& text) {
  std::u16string result = utf8ToWide(text);
  if (result.empty()) return;
  bool started = mComposing;
  mComposing = false;
  mDesktop.later([result, started] {
    if (!started) {
      imeBegin();
      sendToFocus(WM_IME_STARTCOMPOSITION, 0, 0);
    }
    imeSetResult(result);
    sendToFocus(WM_IME_COMPOSITION, result[0], GCS_RESULTSTR);
    sendToFocus(WM_IME_ENDCOMPOSITION, 0, 0);
  });
}

void TopWindow::onPreeditStart(GtkIMContext*, gpointer self) {
  auto* w = static_cast<TopWindow*>(self);
  if (w->mComposing) return;
  w->mComposing = true;
  w->mDesktop.later([] {
    imeBegin();
    sendToFocus(WM_IME_STARTCOMPOSITION, 0, 0);
  });
}

void TopWindow::onPreeditChanged(GtkIMContext* im, gpointer self) {
  gchar* text = nullptr;
  gtk_im_context_get_preedit_string(im, &text, nullptr, nullptr);
  static_cast<TopWindow*>(self)->preeditChanged(text ? text : "");
  g_free(text);
}

void TopWindow::preeditChanged(const std::string& text) {
  if (!mComposing) {
    if (text.empty()) return;
    onPreeditStart(mIm, this);
  }
  std::u16string composition = utf8ToWide(text);
  mDesktop.later([composition] {
    imeSetComposition(composition);
    sendToFocus(WM_IME_COMPOSITION, 0, GCS_COMPSTR);
  });
}

void TopWindow::onPreeditEnd(GtkIMContext*, gpointer self) {
  auto* w = static_cast<TopWindow*>(self);
  if (!w->mComposing) return;  // ended by a commit
  w->mComposing = false;       // given up: the composition ends empty
  w->mDesktop.later([] {
    imeSetComposition(u"");
    sendToFocus(WM_IME_COMPOSITION, 0, GCS_COMPSTR);
    sendToFocus(WM_IME_ENDCOMPOSITION, 0, 0);
  });
}

void TopWindow::imeInput(const std::vector<std::string>& preedits, const std::string& commit) {
  onPreeditStart(mIm, this);
  for (const std::string& p : preedits) preeditChanged(p);
  committed(commit);
  onPreeditEnd(mIm, this);
}

}  // namespace platform::display
