// One top-level window of the layer on the desktop: a GTK window showing the
// layer's frame (menu bar, edges, client surface), feeding the desktop's
// input into the layer and presenting the parts of the surface drawn.
#pragma once
#include <gtk/gtk.h>

#include <string>
#include <vector>

#include "platform/gdi/Surface.h"
#include "platform/user/Desktop.h"

namespace platform::display {

class GtkDesktop;

class TopWindow {
 public:
  TopWindow(GtkDesktop& desktop, HWND hwnd);
  ~TopWindow();
  TopWindow(const TopWindow&) = delete;
  TopWindow& operator=(const TopWindow&) = delete;

  HWND hwnd() const { return mHwnd; }
  GtkWindow* gtkWindow() const { return GTK_WINDOW(mWindow); }
  GdkWindow* gdkWindow() const { return gtk_widget_get_window(mWindow); }
  bool shown() const { return mShown; }

  void show(bool shown);
  // Takes the layer's geometry, styles, owner and title.
  void sync();
  void syncTitle();
  void activate();
  void menuBarChanged();
  // The layer's scroll bars beside the client area changed.
  void scrollBarsChanged();
  // Queues the presentation of a drawn part of the surface (surface pixels).
  void surfaceDrawn(RECT area);
  // Presents what is queued now, without waiting for the next frame.
  void presentNow();
  void setCursor(GdkCursor* cursor);
  void placeComposition(POINT frame);
  // Files dropped at a frame point (uris as a text/uri-list).
  bool drop(POINT framePoint, const std::string& uriList);
  void imeInput(const std::vector<std::string>& preedits, const std::string& commit);

  std::vector<RECT> takePresented();
  // The layer's frame layout as last taken (screen pixels).
  const FrameLayout& layout() const { return mLayout; }
  // A frame point of this window in layer screen pixels, and back.
  POINT toScreen(double x, double y) const;
  // The menu bar as drawn, with the item `highlighted` (-1: none) marked.
  void setMenuHighlight(int highlighted);

 private:
  static gboolean onDraw(GtkWidget*, cairo_t* cr, gpointer self);
  static gboolean onButton(GtkWidget*, GdkEventButton* e, gpointer self);
  static gboolean onMotion(GtkWidget*, GdkEventMotion* e, gpointer self);
  static gboolean onScroll(GtkWidget*, GdkEventScroll* e, gpointer self);
  static gboolean onKey(GtkWidget*, GdkEventKey* e, gpointer self);
  static gboolean onFocus(GtkWidget*, GdkEventFocus* e, gpointer self);
  static gboolean onConfigure(GtkWidget*, GdkEventConfigure* e, gpointer self);
  static gboolean onDelete(GtkWidget*, GdkEvent*, gpointer self);
  static void onRealize(GtkWidget*, gpointer self);
  static gboolean onDragMotion(GtkWidget*, GdkDragContext*, gint x, gint y, guint time, gpointer self);
  static void onDragData(GtkWidget*, GdkDragContext*, gint x, gint y, GtkSelectionData* data, guint info,
                         guint time, gpointer self);
  static void onCommit(GtkIMContext*, gchar* text, gpointer self);
  static void onPreeditStart(GtkIMContext*, gpointer self);
  static void onPreeditChanged(GtkIMContext*, gpointer self);
  static void onPreeditEnd(GtkIMContext*, gpointer self);

  void draw(cairo_t* cr);
  void drawFrame(cairo_t* cr);
  void drawScrollBars(cairo_t* cr, RECT client);
  void key(GdkEventKey* e);
  void committed(const std::string& text);
  void preeditChanged(const std::string& text);
  void syncModifiers(guint state, int exceptVk);
  void placeOnDesktop();

  GtkDesktop& mDesktop;
  HWND mHwnd;
  GtkWidget* mWindow = nullptr;
  GtkIMContext* mIm = nullptr;
  FrameLayout mLayout;
  bool mShown = false;
  bool mQueued = false;  // drawn parts wait for presentation
  bool mPlaced = false;  // the desktop's window has been placed once
  RECT mAskedFrame{};    // the frame last given to the desktop
  Surface mMenuBar;      // menuBarPixels, drawn again when the menu changes
  bool mMenuStale = true;
  int mMenuHighlight = -1;
  std::vector<RECT> mPresented;
  // Input method state: a composition in progress; text committed while a
  // key was being filtered.
  bool mComposing = false;
  bool mFiltering = false;
  std::string mCommittedWhileFiltering;
  double mWheel = 0, mHWheel = 0;  // smooth scrolling not yet a whole notch
};

}  // namespace platform::display
