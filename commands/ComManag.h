// iComManag: the command manager of one document. Runs every accepted command once,
// keeps it for undo and redo, and keeps the net changes since the last save.
//
// Invariants:
// - mCommands holds a command exactly while at least one of the three lists holds it;
//   the manager owns it and deletes it when it leaves the last list that holds it.
// - No command is in both mUndoList and mRedoList.
// - The document is modified exactly while mChangeList is not empty or mOutsideChange
//   is set.
// User-interface thread only; nothing is locked.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "commands/Command.h"

class iComManag;
// (manager, value): value is the modified state (1 / 0) for mOnModified and 0 for
// mOnSaved, passed pointer-sized.
using ManagerFn = std::function<void(iComManag*, intptr_t)>;

class iComManag {
 public:
  iComManag() = default;
  virtual ~iComManag();
  iComManag(const iComManag&) = delete;
  iComManag& operator=(const iComManag&) = delete;

  // Takes ownership of `command`. Deletes it at once (nothing else changes, no callback)
  // when the manager is disabled or the command is empty; otherwise releases the redo
  // list, gives the command the manager's notifier, records it in the undo and change
  // lists, runs its redo() and reports modified. A run that throws deletes the command
  // and leaves the lists as they were.
  void add(std::unique_ptr<iCommand> command);
  // Undoes the back of the undo list (nothing when empty) and reports the modified state.
  void undo();
  // Redoes the back of the redo list (nothing when empty) and reports the modified state.
  void redo();
  // At a save: the records of the changes since the last save, front to back; then the
  // change list is released, the outside-change mark cleared and, when there were
  // changes (or the mark), mOnSaved runs. Empty when there were no commands.
  std::string collect();
  // Empties one of the three lists, deleting each of its commands that no other list
  // holds.
  void release(std::vector<iCommand*>& list);
  // Deletes every command (new or open in the same tab), then reports the document as
  // saved through mOnSaved, so no stale modified mark remains on the tab.
  void clear();

  // Records a change made outside the commands (a script or data tool writing cells):
  // the document is modified until the next save or clear; undo and redo leave the
  // mark. Reports modified.
  void markOutsideChange();

  // True while the change list is not empty or an outside change is marked.
  bool modified() const { return !mChangeList.empty() || mOutsideChange; }

  int32_t mEnabled = 1;                // commands are taken only while non-zero
  std::set<iCommand*> mCommands;       // every command owned
  std::vector<iCommand*> mUndoList;    // applied commands; back is undone next
  std::vector<iCommand*> mRedoList;    // undone commands; back is redone next
  std::vector<iCommand*> mChangeList;  // net changes since the last save (a stack)
  ManagerFn mOnModified;               // after every accepted command, undo and redo
  ManagerFn mOnSaved;                  // after a save that had changes, and after clear
  NotifyFn mNotify;                    // copied into every accepted command
  bool mOutsideChange = false;         // cells written outside commands since the save
  // Before add, undo and redo change the sheet (the document stops its readers of the
  // sheet, such as the selection statistics).
  std::function<void()> mBeforeChange;

 private:
  void releaseAll();
  void reportModified();
  static bool holds(const std::vector<iCommand*>& list, const iCommand* command);
  // Debug builds: the command's sheet passes its integrity check, or the program stops.
  static void checkSheet(const iCommand* command, const char* after);
  // Debug builds: the invariants above on the lists and mCommands hold, or the program
  // stops. Release builds: nothing.
  void checkLists() const;
};
