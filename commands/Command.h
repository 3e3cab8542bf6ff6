// iCommand: one undoable change of a sheet, built by a grid operation, prepared once,
// then run and kept by the document's command manager (iComManag).
//
// Life of a command: constructed over the sheet and a copy of the grid's selection;
// its own preparing operation computes and saves both the new and the old state; it is
// handed to iComManag::add, which deletes it when isEmpty() or runs redo() (the first
// run); afterwards only undo(), redo(), serialize() and the destructor run.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "store/DataCore.h"
#include "store/Range.h"

// What a command does; the first field of its serialised record.
enum CommandKind : int32_t {
  KIND_RESIZE = 0,             // CResizeAction
  KIND_CELL = 1,               // CCellAction
  KIND_VISIBLE = 2,            // CVisibleAction
  KIND_ATTRIBUTE = 3,          // CAttributeAction
  KIND_INSERT = 4,             // CInsertAction
  KIND_DELETE = 5,             // CDeleteAction: remove rows, columns or cells
  KIND_CLEAR = 6,              // CDeleteAction: empty the cells
  KIND_WIDTH_HEIGHT = 7,       // CWidthHightAction
  KIND_SORT = 8,               // CSortAction
  KIND_FILTER = 9,             // CFilterAction
  KIND_DELETE_DUPLICATE = 10,  // CDeleteDuplicate
};

// The view notifier: called with (null, null) after a command changed the sheet's size,
// its rows or columns, or their hidden state, width or height.
using NotifyFn = std::function<void(void*, void*)>;

// Command states (mState).
constexpr int32_t COMMAND_APPLIED = 0;
constexpr int32_t COMMAND_UNDONE = 1;

class iCommand {
 public:
  // Sets the six selection integers to 1, then copies `selection` over them when it is
  // not null. State applied, no notifier.
  iCommand(CDataCore* core, const Selection* selection, CommandKind kind);
  virtual ~iCommand();
  iCommand(const iCommand&) = delete;
  iCommand& operator=(const iCommand&) = delete;

  // True when the command, as prepared, would change nothing. The base: true.
  virtual bool isEmpty() const;
  // Applies the prepared change (also the first run). The base does nothing.
  virtual void redo();
  // Puts back what the command saved. The base does nothing.
  virtual void undo();
  // One little-endian record of the command as it now stands: the new side while
  // applied, the old side while undone; it begins with mKind as a signed 64-bit value.
  // The base: the empty string.
  virtual std::string serialize() const;

  NotifyFn mNotify;  // empty until the manager copies its own notifier in
  int32_t mState = COMMAND_APPLIED;
  int32_t mKind;         // CommandKind
  Selection mSelection;  // the command's own copy of the grid's selection
  CDataCore* mCore;      // the sheet changed; not owned

 protected:
  // mNotify(null, null) when it is set.
  void notify() const;
  // True while the command shows its new side (applied).
  bool applied() const { return mState == COMMAND_APPLIED; }
};
