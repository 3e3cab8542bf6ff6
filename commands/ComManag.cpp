#include "commands/ComManag.h"

#include <algorithm>
#include <cassert>

iComManag::~iComManag() { releaseAll(); }

bool iComManag::holds(const std::vector<iCommand*>& list, const iCommand* command) {
  return std::find(list.begin(), list.end(), command) != list.end();
}

// Room for one more command in a list, grown by doubling so that a long session of
// commands stays linear; it may throw, before anything has changed.
static void roomForOne(std::vector<iCommand*>& list) {
  if (list.size() == list.capacity()) list.reserve(std::max<size_t>(16, list.capacity() * 2));
}

void iComManag::checkSheet(const iCommand* command, const char* after) {
  if (command->mCore != nullptr) command->mCore->checkInDebug(after);
}

void iComManag::checkLists() const {
#ifndef NDEBUG
  std::set<iCommand*> listed(mUndoList.begin(), mUndoList.end());
  const std::set<iCommand*> undone(mRedoList.begin(), mRedoList.end());
  for (iCommand* command : undone) assert(listed.count(command) == 0 && "a command both applied and undone");
  listed.insert(undone.begin(), undone.end());
  listed.insert(mChangeList.begin(), mChangeList.end());
  assert(listed == mCommands && "the commands owned are not those the lists hold");
#endif
}

void iComManag::reportModified() {
  if (mEnabled != 0 && mOnModified) mOnModified(this, modified() ? 1 : 0);
}

void iComManag::markOutsideChange() {
  mOutsideChange = true;
  if (mOnModified) mOnModified(this, 1);
}

void iComManag::add(std::unique_ptr<iCommand> owned) {
  if (!owned) return;
  if (mBeforeChange) mBeforeChange();
  if (mEnabled == 0 || owned->isEmpty()) return;  // `owned` deletes it
  iCommand* command = owned.get();
  command->mNotify = mNotify;
  command->mState = COMMAND_APPLIED;
  try {
    // Room in the lists first, then the run: a run that fails (out of memory) has left
    // the sheet as it was, and the command is dropped as if it had never come.
    roomForOne(mUndoList);
    roomForOne(mChangeList);
    mCommands.insert(command);
    command->redo();
  } catch (...) {
    mCommands.erase(command);
    throw;
  }
  static_cast<void>(owned.release());  // the lists hold it from here on
  mUndoList.push_back(command);
  mChangeList.push_back(command);
  if (!mRedoList.empty()) release(mRedoList);
  checkSheet(command, "the run of a command");
  checkLists();
  if (mEnabled != 0 && mOnModified) mOnModified(this, 1);
}

// The change-list step shared by undo and redo: moving back over the last net change
// pops it; any other move is a new net change.
static void stepChangeList(std::vector<iCommand*>& changes, iCommand* command) {
  if (!changes.empty() && changes.back() == command) {
    changes.pop_back();
  } else {
    changes.push_back(command);
  }
}

void iComManag::undo() {
  if (mUndoList.empty()) return;
  if (mBeforeChange) mBeforeChange();
  iCommand* command = mUndoList.back();
  roomForOne(mRedoList);
  roomForOne(mChangeList);
  command->mState = COMMAND_UNDONE;
  try {
    command->undo();  // a failed undo has left the sheet as it was: the command stays applied
  } catch (...) {
    command->mState = COMMAND_APPLIED;
    throw;
  }
  mUndoList.pop_back();
  mRedoList.push_back(command);
  checkSheet(command, "an undo");
  stepChangeList(mChangeList, command);
  checkLists();
  reportModified();
}

void iComManag::redo() {
  if (mRedoList.empty()) return;
  if (mBeforeChange) mBeforeChange();
  iCommand* command = mRedoList.back();
  roomForOne(mUndoList);
  roomForOne(mChangeList);
  command->mState = COMMAND_APPLIED;
  try {
    command->redo();  // a failed redo has left the sheet as it was: the command stays undone
  } catch (...) {
    command->mState = COMMAND_UNDONE;
    throw;
  }
  mRedoList.pop_back();
  mUndoList.push_back(command);
  checkSheet(command, "a redo");
  stepChangeList(mChangeList, command);
  checkLists();
  reportModified();
}

std::string iComManag::collect() {
  std::string records;
  if (mEnabled == 0) return records;
  const bool outside = mOutsideChange;
  mOutsideChange = false;
  if (mChangeList.empty()) {
    if (outside && mOnSaved) mOnSaved(this, 0);
    return records;
  }
  for (const iCommand* command : mChangeList) records += command->serialize();
  release(mChangeList);
  checkLists();
  if (mOnSaved) mOnSaved(this, 0);
  return records;
}

void iComManag::release(std::vector<iCommand*>& list) {
  const bool isChanges = &list == &mChangeList;
  for (iCommand* command : list) {
    const bool kept = isChanges ? holds(mUndoList, command) || holds(mRedoList, command)
                                : holds(mChangeList, command);
    if (kept) continue;
    mCommands.erase(command);
    delete command;
  }
  list.clear();
}

void iComManag::releaseAll() {
  release(mUndoList);
  release(mRedoList);
  release(mChangeList);
}

void iComManag::clear() {
  releaseAll();
  checkLists();
  mOutsideChange = false;
  if (mOnSaved) mOnSaved(this, 0);
}
