// Menus on the desktop: the menu bar of a window in keyboard or mouse menu
// mode, and popup menus (TrackPopupMenu) shown at a point. While a menu is
// up it takes the keyboard and the pointer; a click outside closes it.
#pragma once
#include <gtk/gtk.h>

#include <vector>

#include "platform/gdi/Surface.h"
#include "platform/user/Types.h"

namespace platform::display {

class GtkDesktop;
class TopWindow;

class MenuTracker {
 public:
  explicit MenuTracker(GtkDesktop& desktop) : mDesktop(desktop) {}
  ~MenuTracker();

  bool active() const { return mActive; }
  // Keyboard menu mode on the bar of `top`: `ch` 0 selects the bar (Alt or
  // F10 alone), a letter opens the popup whose underlined letter it is.
  void startKeyboard(HWND top, char16_t ch);
  // A press on the menu bar of a window (screen point).
  void clickBar(HWND top, POINT screen);
  // Shows `menu` at a screen point and waits (running the layer's messages)
  // until a command is chosen or the menu is dismissed: the command, or 0.
  UINT track(HMENU menu, POINT screen, HWND owner);

  // Input while active.
  void key(const GdkEventKey* e, int vk);
  void button(POINT screen, bool press);
  void motion(POINT screen);

 private:
  struct Level {
    HMENU menu = nullptr;
    GtkWidget* window = nullptr;
    POINT origin{};
    Surface pixels;
    std::vector<RECT> rows;  // popup coordinates
    int selected = -1;
  };

  static gboolean onDraw(GtkWidget*, cairo_t* cr, gpointer self);
  static gboolean onButton(GtkWidget*, GdkEventButton* e, gpointer self);
  static gboolean onMotion(GtkWidget*, GdkEventMotion* e, gpointer self);
  static gboolean onKey(GtkWidget*, GdkEventKey* e, gpointer self);

  void enterBar(HWND top, int item, bool openPopup);
  void selectBar(int item, bool openPopup);
  void openPopup(HMENU menu, POINT origin, int itemInParent);
  void closeLevelsFrom(size_t depth);
  void select(Level& level, int row);
  void activateRow(size_t depth, int row);
  void finish(UINT command);
  void grab(GtkWidget* window);
  void ungrab();
  // Which level and row a screen point is on (false: none).
  bool hit(POINT screen, size_t* depth, int* row) const;
  int barItemAt(POINT screen) const;
  int barItemCount() const;
  int nextBarItem(int from, int step) const;
  int nextRow(const Level& level, int from, int step) const;

  GtkDesktop& mDesktop;
  bool mActive = false;
  bool mTracking = false;  // TrackPopupMenu: no bar, blocks its caller
  HWND mBar = nullptr;     // the window whose bar is in menu mode
  HWND mOwner = nullptr;   // who gets the command
  int mBarItem = -1;
  std::vector<Level> mLevels;  // open popups, outermost first
  UINT mResult = 0;
  GdkSeat* mGrabbed = nullptr;
  bool mPressedOnBarItem = false;  // the press that opened the current popup
};

}  // namespace platform::display
