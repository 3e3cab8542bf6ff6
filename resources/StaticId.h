// The id every resource group gives a control nobody addresses (a label, a group box):
// the platform's IDC_STATIC as a template's item id.
#pragma once
#include "platform/windows.h"

inline constexpr WORD kStaticId = static_cast<WORD>(IDC_STATIC);
