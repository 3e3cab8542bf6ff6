// The value list of the column filter popup and its narrowing: the distinct values of a
// filtered column with their counts, the 12 conditions that narrow the list by a typed
// text, and the ticked values handed to the filter command. No windows here.
#pragma once
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "commands/FilterValue.h"
#include "controls/ListCtrl.h"
#include "store/DataCore.h"

// The item standing for every value (row 0 of a value list, -1 of a column list).
constexpr int32_t SELECT_ALL_ROW = 0;

// The display texts of a value list's items, copied at the first narrowing into one
// buffer per thread (no string per item), so later narrowings read neither the sheet
// nor its pool, which may change while the popup is open.
struct FilterTexts {
  std::vector<std::u16string> buffers;     // one per building thread; not changed once built
  std::vector<std::u16string_view> texts;  // per item, into the buffers (item 0: empty)
  bool built = false;
};

// Fills `items` with the values of the filter column of header cell `headerKey`: the
// select-all item, the numbers ascending (integers kept exact, so integers beyond 2^53
// stay distinct), then the texts ascending by code unit (of two keys with the same text
// the smaller key stays). A value item stands for its first row; its count is the rows
// holding it, its amount that count over the rows counted. Rows shown, or hidden by
// this column itself, are counted; the others are not. `texts`, when given, receives the
// items' display texts for narrowing.
void buildFilterValueList(const CDataCore& core, uint64_t headerKey, std::vector<ListItem2>& items,
                          FilterTexts* texts = nullptr);

void buildFilterTexts(const CDataCore& core, int32_t column, const std::vector<ListItem2>& items, FilterTexts& out);

// The 12 conditions in combo order.
inline constexpr const char16_t* FILTER_CONDITIONS[12] = {u"等于",   u"不等于",   u"大于",   u"大于等于",
                                                          u"小于",   u"小于等于", u"包含",   u"不包含",
                                                          u"以开头", u"开头不是", u"以结尾", u"结尾不是"};

// The items of `all` (its select-all item first) that meet condition `condition` for the
// typed `text`, every one ticked; an empty text gives `all` as it is. `texts` is built
// when it is not yet.
std::vector<ListItem2> narrowFilterList(const CDataCore& core, int32_t column, const std::vector<ListItem2>& all,
                                        FilterTexts& texts, int32_t condition, const std::u16string& text);

// The ticked values of `shown` (after its select-all item), exactly as listed: numbers
// (integers, decimals, date-times) into `numbers`, every other kind's stored value into
// `keys`.
void collectTickedValues(const CDataCore& core, int32_t column, const std::vector<ListItem2>& shown,
                         FilterNumbers& numbers, std::set<uint64_t>& keys);

// A check change in a list whose item 0 stands for all: item 0 gives its state to every
// item; any other item changed alone.
void toggleAllItems(std::vector<ListItem2>& items, int32_t index);
