// The dialogs of the grid's commands: split settings 129, table size 130, sort scope 131
// and go to 151.
#pragma once
#include "platform/resources/Resources.h"

void addGridCommandDialogs(platform::resources::Table& table);
