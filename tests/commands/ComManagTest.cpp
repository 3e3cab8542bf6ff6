#include <gtest/gtest.h>

#include <memory>
#include <new>
#include <vector>

#include "commands/ComManag.h"

namespace {

// A command that logs what happens to it; serialize gives its name and state.
struct Log {
  std::vector<std::string> events;
  int deleted = 0;
};

class FakeCommand : public iCommand {
 public:
  FakeCommand(Log& log, std::string name, bool empty = false)
      : iCommand(nullptr, nullptr, KIND_CELL), mLog(log), mName(std::move(name)), mEmpty(empty) {}
  ~FakeCommand() override {
    ++mLog.deleted;
    mLog.events.push_back("delete " + mName);
  }
  bool isEmpty() const override { return mEmpty; }
  void redo() override { mLog.events.push_back("redo " + mName); }
  void undo() override { mLog.events.push_back("undo " + mName); }
  std::string serialize() const override { return mName + (mState == COMMAND_UNDONE ? "-" : "+"); }

 private:
  Log& mLog;
  std::string mName;
  bool mEmpty;
};

// A manager whose callbacks record the modified values and the saved signals.
struct Manager : ::testing::Test {
  Manager() {
    m.mOnModified = [this](iComManag*, intptr_t v) { modified.push_back(int(v)); };
    m.mOnSaved = [this](iComManag*, intptr_t) { ++saved; };
  }
  std::unique_ptr<FakeCommand> make(const std::string& name, bool empty = false) {
    return std::make_unique<FakeCommand>(log, name, empty);
  }
  Log log;
  iComManag m;
  std::vector<int> modified;
  int saved = 0;
};

TEST_F(Manager, AddRunsTheCommandOnceAndReportsModified) {
  int notified = 0;
  m.mNotify = [&](void*, void*) { ++notified; };
  auto owned = make("a");
  FakeCommand* c = owned.get();
  m.add(std::move(owned));
  EXPECT_EQ(log.events, (std::vector<std::string>{"redo a"}));
  EXPECT_EQ(modified, (std::vector<int>{1}));
  ASSERT_TRUE(c->mNotify);
  c->mNotify(nullptr, nullptr);
  EXPECT_EQ(notified, 1);
  EXPECT_TRUE(m.modified());
}

TEST_F(Manager, EmptyCommandIsDeletedAndChangesNothing) {
  m.add(make("a"));
  m.undo();
  modified.clear();
  m.add(make("empty", true));
  EXPECT_EQ(log.deleted, 1);
  EXPECT_EQ(m.mRedoList.size(), 1u) << "the redo list survives";
  EXPECT_TRUE(modified.empty());
  EXPECT_EQ(m.mCommands.size(), 1u);
}

// A command whose emptiness test or first run throws, as one may for want of memory.
class ThrowingCommand : public FakeCommand {
 public:
  enum class At { IsEmpty, Run };
  ThrowingCommand(Log& log, At at) : FakeCommand(log, "thrower"), mAt(at) {}
  bool isEmpty() const override {
    if (mAt == At::IsEmpty) throw std::bad_alloc();
    return false;
  }
  void redo() override {
    if (mAt == At::Run) throw std::bad_alloc();
    FakeCommand::redo();
  }

 private:
  At mAt;
};

// Whatever throws while add takes a command, the command is deleted once and the lists
// stay as they were.
TEST_F(Manager, ACommandAddCannotTakeIsDeleted) {
  struct Case {
    const char* name;
    bool gateThrows;
    ThrowingCommand::At at;
  } cases[] = {
      {"the change gate throws", true, ThrowingCommand::At::Run},
      {"the emptiness test throws", false, ThrowingCommand::At::IsEmpty},
      {"the first run throws", false, ThrowingCommand::At::Run},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    iComManag manager;
    manager.add(make("a"));
    manager.undo();
    if (c.gateThrows) manager.mBeforeChange = [] { throw std::bad_alloc(); };
    log.deleted = 0;
    EXPECT_THROW(manager.add(std::make_unique<ThrowingCommand>(log, c.at)), std::bad_alloc);
    EXPECT_EQ(log.deleted, 1);
    EXPECT_EQ(manager.mCommands.size(), 1u);
    EXPECT_EQ(manager.mRedoList.size(), 1u) << "the redo list survives";
    EXPECT_TRUE(manager.mUndoList.empty());
    manager.mBeforeChange = nullptr;
  }
}

TEST_F(Manager, DisabledManagerDeletesEveryCommand) {
  m.mEnabled = 0;
  m.add(make("a"));
  EXPECT_EQ(log.deleted, 1);
  EXPECT_TRUE(m.mUndoList.empty());
  EXPECT_TRUE(modified.empty());
}

TEST_F(Manager, UndoingEveryUnsavedEditMakesTheDocumentUnmodified) {
  m.add(make("a"));
  m.add(make("b"));
  m.undo();
  m.undo();
  EXPECT_EQ(modified, (std::vector<int>{1, 1, 1, 0}));
  m.redo();
  EXPECT_EQ(modified.back(), 1);
  EXPECT_EQ(log.events, (std::vector<std::string>{"redo a", "redo b", "undo b", "undo a", "redo a"}));
}

TEST_F(Manager, UndoPastTheSavePointIsAChangeAndRedoReturnsToSaved) {
  m.add(make("a"));
  m.add(make("b"));
  EXPECT_EQ(m.collect(), "a+b+");
  EXPECT_EQ(saved, 1);
  EXPECT_FALSE(m.modified());
  m.undo();
  EXPECT_EQ(modified.back(), 1);
  m.redo();
  EXPECT_EQ(modified.back(), 0);
  EXPECT_EQ(log.deleted, 0) << "saved commands stay in the undo list";
}

TEST_F(Manager, SaveWithoutChangesWritesNothingAndSignalsNothing) {
  EXPECT_EQ(m.collect(), "");
  m.add(make("a"));
  m.collect();
  EXPECT_EQ(m.collect(), "");
  EXPECT_EQ(saved, 1);
}

TEST_F(Manager, UndoneSavedCommandLeavingTheRedoListIsKeptUntilTheNextSave) {
  m.add(make("a"));
  m.collect();
  m.undo();          // a: undone, now a change
  m.add(make("b"));  // a leaves the redo list but stays a change
  EXPECT_EQ(log.deleted, 0);
  EXPECT_TRUE(m.modified());
  EXPECT_EQ(m.collect(), "a-b+");
  EXPECT_EQ(log.deleted, 1) << "a belongs to no list after the save";
  EXPECT_EQ(m.mCommands.size(), 1u);
}

TEST_F(Manager, NewCommandDeletesTheUnsavedRedoList) {
  m.add(make("a"));
  m.add(make("b"));
  m.undo();
  m.add(make("c"));
  EXPECT_EQ(log.deleted, 1);
  EXPECT_EQ(m.mChangeList.size(), 2u);
  m.undo();
  m.undo();
  EXPECT_FALSE(m.modified());
}

TEST_F(Manager, UndoAndRedoOnEmptyListsDoNothing) {
  m.undo();
  m.redo();
  EXPECT_TRUE(modified.empty());
  EXPECT_TRUE(log.events.empty());
}

// New or open in the same tab: every command deleted once, and the tab told that the
// document is saved, whatever it showed before.
TEST_F(Manager, ClearDeletesEveryCommandOnceAndReportsSaved) {
  m.add(make("a"));
  m.collect();
  m.add(make("b"));
  m.add(make("c"));
  m.undo();  // c in redo and change lists
  m.undo();  // b popped from the change list
  m.undo();  // a pushed as a change
  m.add(make("d"));
  m.redo();
  saved = 0;
  const int before = log.deleted;
  const size_t owned = m.mCommands.size();
  m.clear();
  EXPECT_EQ(log.deleted - before, int(owned));
  EXPECT_TRUE(m.mCommands.empty());
  EXPECT_TRUE(m.mUndoList.empty() && m.mRedoList.empty() && m.mChangeList.empty());
  EXPECT_EQ(saved, 1);
  EXPECT_FALSE(m.modified());
}

TEST_F(Manager, DestructorDeletesEveryCommandWithoutSignals) {
  auto manager = std::make_unique<iComManag>();
  int signals = 0;
  manager->mOnSaved = [&](iComManag*, intptr_t) { ++signals; };
  manager->add(make("a"));
  manager->add(make("b"));
  manager->undo();
  manager.reset();
  EXPECT_EQ(log.deleted, 2);
  EXPECT_EQ(signals, 0);
}

TEST_F(Manager, CommandsAreConstructedWithSelectionOfOnes) {
  FakeCommand c(log, "x");
  EXPECT_EQ(c.mSelection.anchorRow, 1);
  EXPECT_EQ(c.mSelection.range, (Range{1, 1, 1, 1}));
  EXPECT_EQ(c.mState, COMMAND_APPLIED);
}

}  // namespace

namespace {

// Cells written outside the commands (scripts, data tools) keep the document modified
// until the next save or clear, whatever undo and redo do.
TEST_F(Manager, AnOutsideChangeLastsUntilTheSave) {
  m.markOutsideChange();
  EXPECT_TRUE(m.modified());
  EXPECT_EQ(modified.back(), 1);
  m.add(std::make_unique<FakeCommand>(log, "a"));
  m.undo();
  EXPECT_TRUE(m.modified()) << "undo back to the saved commands leaves the mark";
  EXPECT_EQ(modified.back(), 1);
  EXPECT_EQ(m.collect(), "");
  EXPECT_FALSE(m.modified());
  EXPECT_EQ(saved, 1) << "the save of an outside change alone is signalled";
  m.markOutsideChange();
  m.clear();
  EXPECT_FALSE(m.modified());
}

}  // namespace
