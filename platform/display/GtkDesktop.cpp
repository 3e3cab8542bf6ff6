// The GTK desktop: windows, waiting, cursors, clipboard, monitors.
#include "platform/display/GtkDesktop.h"

#include <gdk/gdkx.h>

#include "platform/CodePage.h"
#include "platform/display/Backend.h"
#include "platform/display/FileChooser.h"
#include "platform/display/FileTypes.h"
#include "platform/display/Text.h"
#include "platform/display/TopWindow.h"
#include "platform/resources/Resources.h"
#include "platform/user/Clipboard.h"
#include "platform/user/Inject.h"
#include "platform/user/State.h"
#include "platform/user/User.h"

namespace platform::display {

namespace {

GtkDesktop* gOpen = nullptr;

struct CursorName {
  LPCWSTR id;
  const char* name;
};

const CursorName kCursorNames[] = {
    {IDC_ARROW, "default"},        {IDC_IBEAM, "text"},       {IDC_WAIT, "wait"},
    {IDC_CROSS, "crosshair"},      {IDC_UPARROW, "default"},  {IDC_SIZENWSE, "nwse-resize"},
    {IDC_SIZENESW, "nesw-resize"}, {IDC_SIZEWE, "ew-resize"}, {IDC_SIZENS, "ns-resize"},
    {IDC_SIZEALL, "move"},         {IDC_NO, "not-allowed"},   {IDC_HAND, "pointer"},
};

}  // namespace

void clipboardGet(GtkClipboard*, GtkSelectionData* data, guint, gpointer) {
  std::string text = wideToUtf8(platform::clipboardText());
  gtk_selection_data_set_text(data, text.c_str(), static_cast<gint>(text.size()));
}

void clipboardClear(GtkClipboard*, gpointer self) { static_cast<GtkDesktop*>(self)->mClipboardOwned = false; }

GtkDesktop* gtkDesktop() { return gOpen; }

Desktop* open() {
  if (gOpen) return gOpen;
  if (!gtk_init_check(nullptr, nullptr)) return nullptr;
  gOpen = new GtkDesktop;  // lives until the process ends
  return gOpen;
}

GtkDesktop::GtkDesktop()
    : mUiThread(std::this_thread::get_id()), mContext(g_main_context_default()), mMenus(*this) {
  GdkDisplay* display = gdk_display_get_default();
  for (const CursorName& c : kCursorNames)
    if (HCURSOR h = LoadCursorW(nullptr, c.id)) mCursors[h] = gdk_cursor_new_from_name(display, c.name);
}

GtkDesktop::~GtkDesktop() {
  mWindows.clear();
  for (auto& [h, cursor] : mCursors)
    if (cursor) g_object_unref(cursor);
}

TopWindow* GtkDesktop::find(HWND top) const {
  auto it = mWindows.find(top);
  return it == mWindows.end() ? nullptr : it->second.get();
}

TopWindow* GtkDesktop::findByGdk(GdkWindow* window) const {
  for (auto& [h, w] : mWindows)
    if (w->gdkWindow() == window) return w.get();
  return nullptr;
}

// Windows -----------------------------------------------------------------

namespace {

// The program's icon (icon index 0) as every window's icon on the desktop.
void setDefaultIcon() {
  static bool done = false;
  const resources::Icon* icon = resources::firstIcon();
  if (done || !icon || icon->argb.size() != static_cast<size_t>(icon->width) * icon->height) return;
  done = true;
  GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, icon->width, icon->height);
  guchar* rows = gdk_pixbuf_get_pixels(pixbuf);
  int stride = gdk_pixbuf_get_rowstride(pixbuf);
  for (int y = 0; y < icon->height; ++y)
    for (int x = 0; x < icon->width; ++x) {
      uint32_t p = icon->argb[static_cast<size_t>(y) * icon->width + x];
      guchar* out = rows + y * stride + x * 4;
      out[0] = (p >> 16) & 0xFF, out[1] = (p >> 8) & 0xFF, out[2] = p & 0xFF, out[3] = p >> 24;
    }
  gtk_window_set_default_icon(pixbuf);
  g_object_unref(pixbuf);
}

}  // namespace

void GtkDesktop::windowShown(HWND top, bool shown) {
  TopWindow* w = find(top);
  if (!w) {
    if (!shown) return;
    setDefaultIcon();
    w = mWindows.emplace(top, std::make_unique<TopWindow>(*this, top)).first->second.get();
  }
  w->show(shown);
  updateModality();
}

void GtkDesktop::windowChanged(HWND top) {
  if (TopWindow* w = find(top)) w->sync();
  updateModality();
}

void GtkDesktop::windowTitle(HWND top) {
  if (TopWindow* w = find(top)) w->syncTitle();
}

void GtkDesktop::windowActivated(HWND top) {
  if (TopWindow* w = find(top)) w->activate();
}

void GtkDesktop::windowGone(HWND top) {
  auto it = mWindows.find(top);
  if (it == mWindows.end()) return;
  if (mPointerWindow == it->second.get()) mPointerWindow = nullptr;
  mWindows.erase(it);
}

void GtkDesktop::surfaceDrawn(HWND top, RECT area) {
  if (TopWindow* w = find(top)) w->surfaceDrawn(area);
}

void GtkDesktop::menuBarChanged(HWND top) {
  if (TopWindow* w = find(top)) w->menuBarChanged();
}

void GtkDesktop::scrollBarsChanged(HWND top) {
  if (TopWindow* w = find(top)) w->scrollBarsChanged();
}

// A window whose owner is disabled is modal to it.
void GtkDesktop::updateModality() {
  for (auto& [h, w] : mWindows) {
    HWND owner = w->layout().owner;
    bool modal = owner && !IsWindowEnabled(owner) && w->shown();
    if (gtk_window_get_modal(w->gtkWindow()) != modal) gtk_window_set_modal(w->gtkWindow(), modal);
  }
}

void GtkDesktop::cursorChanged(HCURSOR cursor) {
  auto it = mCursors.find(cursor);
  mCursor = it == mCursors.end() ? nullptr : it->second;
  if (mPointerWindow) mPointerWindow->setCursor(mCursor);
}

void GtkDesktop::pointerIn(TopWindow* w) {
  if (w == mPointerWindow) return;
  mPointerWindow = w;
  if (w) w->setCursor(mCursor);
}

void GtkDesktop::captureChanged(HWND) {
  // While a button is down the desktop keeps sending the pointer to the
  // window it went down in, wherever it moves: that is the capture.
}

void GtkDesktop::compositionMoved(HWND hwnd, POINT client) {
  TopWindow* w = find(GetAncestor(hwnd, GA_ROOT));
  if (!w) return;
  POINT p = client;
  ClientToScreen(hwnd, &p);
  w->placeComposition(POINT{p.x - w->layout().frame.left, p.y - w->layout().frame.top});
}

void GtkDesktop::keyMenu(HWND top, char16_t ch) { mMenus.startKeyboard(top, ch); }

UINT GtkDesktop::trackPopupMenu(HMENU menu, POINT screen, HWND owner) { return mMenus.track(menu, screen, owner); }

// Waiting -------------------------------------------------------------------

void GtkDesktop::later(std::function<void()> work) {
  mLater.push_back(std::move(work));
  g_main_context_wakeup(mContext);
}

void GtkDesktop::runLater() {
  if (mRunningLater) return;
  mRunningLater = true;
  while (!mLater.empty()) {
    std::vector<std::function<void()>> work;
    work.swap(mLater);
    for (auto& f : work) f();
  }
  mRunningLater = false;
}

void GtkDesktop::wait(DWORD ms) {
  runLater();
  if (ms == 0 || mIterating) {
    pump();
    return;
  }
  for (auto& [h, w] : mWindows) w->presentNow();  // the layer is idle: show what it drew
  GSource* timeout = nullptr;
  if (ms != 0xFFFFFFFF) {
    timeout = g_timeout_source_new(ms);
    g_source_set_callback(
        timeout, [](gpointer) -> gboolean { return G_SOURCE_REMOVE; }, nullptr, nullptr);
    g_source_attach(timeout, mContext);
  }
  ++mIterating;
  g_main_context_iteration(mContext, TRUE);
  --mIterating;
  if (timeout) {
    g_source_destroy(timeout);
    g_source_unref(timeout);
  }
  runLater();
}

void GtkDesktop::pump() {
  if (mIterating) return;  // called from inside the toolkit's own event handling
  runLater();
  ++mIterating;
  for (int i = 0; i < 64 && g_main_context_iteration(mContext, FALSE); ++i) {
  }
  --mIterating;
  runLater();
}

void GtkDesktop::wake() { g_main_context_wakeup(mContext); }

std::optional<char16_t> GtkDesktop::characterForKey(int vk, int scan, bool shift, bool capsLock, bool ctrl,
                                                    bool alt) {
  return mKeymap.character(vk, scan, shift, capsLock, ctrl, alt);
}

// Clipboard -----------------------------------------------------------------

void GtkDesktop::clipboardTaken() {
  GtkClipboard* clipboard = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
  GtkTargetList* list = gtk_target_list_new(nullptr, 0);
  gtk_target_list_add_text_targets(list, 0);
  int count = 0;
  GtkTargetEntry* targets = gtk_target_table_new_from_list(list, &count);
  // The text is made when another program asks for it, not now.
  if (gtk_clipboard_set_with_data(clipboard, targets, static_cast<guint>(count), clipboardGet, clipboardClear,
                                  this))
    mClipboardOwned = true;
  gtk_target_table_free(targets, count);
  gtk_target_list_unref(list);
}

std::optional<std::u16string> GtkDesktop::foreignClipboardText() {
  if (mClipboardOwned) return std::nullopt;
  GtkClipboard* clipboard = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
  ++mIterating;  // the toolkit waits for the other program in a loop of its own
  gchar* text = gtk_clipboard_wait_for_text(clipboard);
  --mIterating;
  std::u16string out = text ? utf8ToWide(text) : u"";
  g_free(text);
  return out;
}

// Choosers, monitors, file types ------------------------------------------

std::optional<BlockingAnswer> GtkDesktop::answer(const BlockingCall& call) {
  if (call.kind == u"GetOpenFileNameW" || call.kind == u"GetSaveFileNameW" || call.kind == u"SHBrowseForFolderW")
    return runChooser(*this, call);
  return std::nullopt;
}

namespace {

GdkMonitor* mainMonitor() {
  GdkDisplay* display = gdk_display_get_default();
  GtkDesktop* d = gtkDesktop();
  HWND main = nullptr;
  for (HWND t : platform::user::state().topLevels)  // the topmost shown window without an owner
    if (platform::user::WindowRef w = platform::user::findWindow(t); w && !w->owner && (w->style & WS_VISIBLE)) {
      main = t;
      break;
    }
  TopWindow* w = d ? d->find(main) : nullptr;
  GdkMonitor* m = w && w->gdkWindow() ? gdk_display_get_monitor_at_window(display, w->gdkWindow()) : nullptr;
  if (!m) m = gdk_display_get_primary_monitor(display);
  if (!m) m = gdk_display_get_monitor(display, 0);
  return m;
}

RECT rectOf(const GdkRectangle& r) { return RECT{r.x, r.y, r.x + r.width, r.y + r.height}; }

}  // namespace

RECT GtkDesktop::monitor() {
  GdkRectangle r{0, 0, 1920, 1080};
  if (GdkMonitor* m = mainMonitor()) gdk_monitor_get_geometry(m, &r);
  return rectOf(r);
}

RECT GtkDesktop::workArea() {
  GdkRectangle r{0, 0, 1920, 1040};
  if (GdkMonitor* m = mainMonitor()) gdk_monitor_get_workarea(m, &r);
  return rectOf(r);
}

void GtkDesktop::sizeFromCorner(HWND top) {
  TopWindow* w = find(top);
  if (!w || !w->shown()) return;
  GdkSeat* seat = gdk_display_get_default_seat(gdk_display_get_default());
  GdkDevice* pointer = seat ? gdk_seat_get_pointer(seat) : nullptr;
  if (!pointer) return;
  int x = 0, y = 0;
  gdk_device_get_position(pointer, nullptr, &x, &y);
  gtk_window_begin_resize_drag(w->gtkWindow(), GDK_WINDOW_EDGE_SOUTH_EAST, 1, x, y, gtk_get_current_event_time());
  // The sizing ends with the release, which the layer will not see.
  buttonReleasedUnseen(VK_LBUTTON);
}

void GtkDesktop::fileTypeRegistered(const std::u16string& extension, const std::u16string& progId,
                                    const std::u16string& description, const std::u16string& command) {
  installFileType(extension, progId, description, command);
}

// What tests and benchmarks look at ----------------------------------------

std::vector<RECT> takePresented(HWND top) {
  TopWindow* w = gOpen ? gOpen->find(top) : nullptr;
  return w ? w->takePresented() : std::vector<RECT>{};
}

unsigned long x11Window(HWND top) {
  TopWindow* w = gOpen ? gOpen->find(top) : nullptr;
  GdkWindow* g = w ? w->gdkWindow() : nullptr;
  if (!g || !GDK_IS_X11_WINDOW(g)) return 0;
  return gdk_x11_window_get_xid(g);
}

bool dropUriList(HWND top, POINT framePoint, const std::string& uriList) {
  TopWindow* w = gOpen ? gOpen->find(top) : nullptr;
  return w && w->drop(framePoint, uriList);
}

void imeInput(HWND top, const std::vector<std::string>& preedits, const std::string& commit) {
  if (TopWindow* w = gOpen ? gOpen->find(top) : nullptr) w->imeInput(preedits, commit);
}

bool menuActive() { return gOpen && gOpen->menus().active(); }

}  // namespace platform::display
