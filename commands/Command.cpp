#include "commands/Command.h"

iCommand::iCommand(CDataCore* core, const Selection* selection, CommandKind kind) : mKind(kind), mCore(core) {
  mSelection = Selection{1, 1, Range{1, 1, 1, 1}};
  if (selection != nullptr) mSelection = *selection;
}

iCommand::~iCommand() = default;

bool iCommand::isEmpty() const { return true; }
void iCommand::redo() {}
void iCommand::undo() {}
std::string iCommand::serialize() const { return std::string(); }

void iCommand::notify() const {
  if (mNotify) mNotify(nullptr, nullptr);
}
