// The dialogs of the grid's commands: split settings, table size, sort scope and go to
// (their ids: GridDialogIds.h).
#pragma once
#include "platform/resources/Resources.h"

void addGridCommandDialogs(platform::resources::Table& table);
