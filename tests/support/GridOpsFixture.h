// A document's operations block wired to a sheet, a command manager and a live
// selection of its own, with the message boxes and clipboard texts it hands the grid
// window recorded. Use it as a member or derive a test fixture from it.
#pragma once
#include <string>
#include <vector>

#include "commands/ComManag.h"
#include "commands/GridOps.h"
#include "store/DataCore.h"
#include "store/Range.h"

namespace testsupport {

struct GridOpsFixture {
  GridOpsFixture() {
    ops.mCore = &core;
    ops.mSelection = &selection;
    ops.mComManag = &manager;
    ops.mHooks.showMessage = [this](const std::u16string& caption, const std::u16string& text) {
      messages.push_back(caption + u"|" + text);
    };
    ops.mHooks.setClipboardText = [this](const std::u16string& text) {
      clipboard = text;
      return true;
    };
  }
  GridOpsFixture(const GridOpsFixture&) = delete;
  GridOpsFixture& operator=(const GridOpsFixture&) = delete;

  void lock(bool on) { core.mAttrs[ATTR_EDIT_LOCK].value = on ? 1 : 0; }

  CDataCore core;
  iComManag manager;
  Selection selection{1, 1, Range{1, 1, 1, 1}};
  CGridOps ops;
  std::vector<std::u16string> messages;  // "caption|text" of each message box shown
  std::u16string clipboard;              // the last text put on the clipboard
};

}  // namespace testsupport
