// The operations block's builders of the data commands: sort, filter, delete
// duplicates and replace. Each returns at once while the document's edit lock is set.
#include <memory>
#include <utility>

#include "commands/CellAction.h"
#include "commands/DeleteDuplicate.h"
#include "commands/FilterAction.h"
#include "commands/GridOps.h"
#include "commands/SortAction.h"
#include "store/NumberText.h"

void CGridOps::sort(bool ascending, bool expand) {
  if (editLocked()) return;
  auto command = std::make_unique<CSortAction>(mCore, mSelection);
  command->prepare(ascending, expand);
  mComManag->add(std::move(command));
}

void CGridOps::toggleFilter() {
  if (editLocked()) return;
  auto command = std::make_unique<CFilterAction>(mCore, mSelection);
  command->prepareToggle();
  mComManag->add(std::move(command));
}

void CGridOps::filterValues(uint64_t key, const FilterNumbers& numbers, const std::set<uint64_t>& keys) {
  if (editLocked()) return;
  auto command = std::make_unique<CFilterAction>(mCore, mSelection);
  command->prepareValues(key, numbers, keys);
  mComManag->add(std::move(command));
}

void CGridOps::deleteDuplicates(bool expand, bool hasHeader, bool matchCase, const std::vector<int32_t>& columns) {
  if (editLocked()) return;
  auto command = std::make_unique<CDeleteDuplicate>(mCore, mSelection);
  auto [duplicates, kept] = command->prepare(expand, hasHeader, matchCase, columns);
  mComManag->add(std::move(command));
  if (mHooks.showMessage)
    mHooks.showMessage(u"删除重复",
                       u"已删除：" + int64Text(duplicates) + u"个重复项，保留：" + int64Text(kept) + u"个唯一值。");
}

int32_t CGridOps::replaceAll(const std::u16string& pattern, const std::u16string& replacement, bool matchCase,
                             bool wholeCell, bool regex, std::u16string* error) {
  if (editLocked()) return 0;
  auto command = std::make_unique<CCellAction>(mCore, mSelection);
  int32_t count = command->replaceAll(pattern, replacement, matchCase, wholeCell, regex, error);
  mComManag->add(std::move(command));
  return count;
}

void CGridOps::replaceCurrent(const std::u16string& pattern, const std::u16string& replacement, bool matchCase,
                              bool wholeCell, bool regex, std::u16string* error) {
  if (editLocked()) return;
  auto command = std::make_unique<CCellAction>(mCore, mSelection);
  command->replaceCurrent(pattern, replacement, matchCase, wholeCell, regex, error);
  mComManag->add(std::move(command));
}
