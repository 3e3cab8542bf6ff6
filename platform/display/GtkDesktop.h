// The desktop of the layer on GTK 3: owns one TopWindow per shown top-level
// window, waits on the toolkit's events and the layer's queue together, and
// serves the clipboard, the keymap, monitors, choosers and menus.
#pragma once
#include <gtk/gtk.h>

#include <functional>
#include <memory>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/display/Keymap.h"
#include "platform/display/MenuTracker.h"
#include "platform/user/Desktop.h"

namespace platform::display {

class TopWindow;

class GtkDesktop final : public Desktop {
 public:
  GtkDesktop();
  ~GtkDesktop() override;

  // Desktop
  void windowShown(HWND top, bool shown) override;
  void windowChanged(HWND top) override;
  void windowTitle(HWND top) override;
  void windowActivated(HWND top) override;
  void windowGone(HWND top) override;
  void surfaceDrawn(HWND top, RECT area) override;
  void menuBarChanged(HWND top) override;
  void scrollBarsChanged(HWND top) override;
  void cursorChanged(HCURSOR cursor) override;
  void captureChanged(HWND capture) override;
  void sizeFromCorner(HWND top) override;
  void compositionMoved(HWND hwnd, POINT client) override;
  void keyMenu(HWND top, char16_t ch) override;
  bool isUiThread() const override { return std::this_thread::get_id() == mUiThread; }
  void wait(DWORD ms) override;
  void pump() override;
  void wake() override;
  std::optional<char16_t> characterForKey(int vk, int scan, bool shift, bool capsLock, bool ctrl,
                                          bool alt) override;
  void clipboardTaken() override;
  std::optional<std::u16string> foreignClipboardText() override;
  std::optional<BlockingAnswer> answer(const BlockingCall& call) override;
  UINT trackPopupMenu(HMENU menu, POINT screen, HWND owner) override;
  RECT monitor() override;
  RECT workArea() override;
  void fileTypeRegistered(const std::u16string& extension, const std::u16string& progId,
                          const std::u16string& description, const std::u16string& command) override;

  // For the windows: work that calls window procedures, run after the
  // toolkit's event handling returns (never inside it).
  void later(std::function<void()> work);
  TopWindow* find(HWND top) const;
  TopWindow* findByGdk(GdkWindow* window) const;
  Keymap& keymap() { return mKeymap; }
  MenuTracker& menus() { return mMenus; }
  // The window the pointer was last over (the cursor is set on it).
  void pointerIn(TopWindow* w);

 private:
  void runLater();
  void updateModality();

  std::thread::id mUiThread;
  GMainContext* mContext = nullptr;
  std::unordered_map<HWND, std::unique_ptr<TopWindow>> mWindows;
  std::vector<std::function<void()>> mLater;
  bool mRunningLater = false;
  int mIterating = 0;  // inside the toolkit's event handling
  Keymap mKeymap;
  MenuTracker mMenus;
  TopWindow* mPointerWindow = nullptr;
  std::unordered_map<HCURSOR, GdkCursor*> mCursors;
  GdkCursor* mCursor = nullptr;
  bool mClipboardOwned = false;

  friend void clipboardGet(GtkClipboard*, GtkSelectionData*, guint, gpointer);
  friend void clipboardClear(GtkClipboard*, gpointer);
};

GtkDesktop* gtkDesktop();  // the open backend, null when none

}  // namespace platform::display
