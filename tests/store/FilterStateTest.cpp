// Filter state record: serialised form, round trips, equality, hidden rows, damaged bytes
// and loading from the document's attribute slot.
#include <gtest/gtest.h>

#include <cstring>

#include "store/FilterState.h"
#include "store/TextKey.h"
#include "tests/store/SheetFixture.h"

namespace {

FilterState makeState(Range range, std::vector<std::pair<uint64_t, std::vector<int32_t>>> cols) {
  FilterState s;
  s.mRange = range;
  for (auto& [key, rows] : cols) s.mColumns[key] = FilterColumn{key, {rows.begin(), rows.end()}};
  return s;
}

template <class T>
T readAt(const std::string& b, size_t at) {
  T v;
  std::memcpy(&v, b.data() + at, sizeof v);
  return v;
}

TEST(FilterState, NewStateIsTwentyFourZeroBytes) {
  FilterState s;
  EXPECT_EQ(s.serialize(), std::string(24, '\0'));
  FilterState back = makeState({1, 2, 3, 4}, {{5, {1}}});
  EXPECT_TRUE(back.deserialize(std::string(24, '\0')));
  EXPECT_FALSE(back.active());
  EXPECT_EQ(back.mRange, Range{});
}

TEST(FilterState, LayoutOfOneColumn) {
  FilterState s = makeState({2, 1, 9, 3}, {{cellPos(2, 3), {4, 7}}});
  std::string b = s.serialize();
  ASSERT_EQ(b.size(), 48u);
  EXPECT_EQ(readAt<int32_t>(b, 0), 2);
  EXPECT_EQ(readAt<int32_t>(b, 4), 1);
  EXPECT_EQ(readAt<int32_t>(b, 8), 9);
  EXPECT_EQ(readAt<int32_t>(b, 12), 3);
  EXPECT_EQ(readAt<uint64_t>(b, 16), 1u);
  EXPECT_EQ(readAt<uint64_t>(b, 24), (uint64_t(3) << 32) | 2);
  EXPECT_EQ(readAt<uint64_t>(b, 32), 2u);
  std::set<int32_t> rows{readAt<int32_t>(b, 40), readAt<int32_t>(b, 44)};
  EXPECT_EQ(rows, (std::set<int32_t>{4, 7}));
}

TEST(FilterState, RoundTrips) {
  const FilterState states[] = {
      makeState({2, 1, 9, 3}, {{cellPos(2, 3), {4, 7}}}),
      makeState({0, 0, 0, 0}, {{cellPos(1, 1), {}}}),  // a column hiding nothing
      makeState({0, 2, 0, 5}, {{cellPos(1, 2), {3, 5}}, {cellPos(1, 5), {5, 9, 1000000}}}),
  };
  for (const auto& s : states) {
    FilterState back;
    EXPECT_TRUE(back.deserialize(s.serialize()));
    EXPECT_TRUE(back.equals(s));
    EXPECT_TRUE(s.equals(back));
  }
  EXPECT_EQ(states[1].serialize().size(), 24u + 16u);
}

TEST(FilterState, EqualsComparesRangeKeysAndRows) {
  FilterState base = makeState({1, 1, 5, 5}, {{cellPos(1, 2), {3}}});
  EXPECT_FALSE(base.equals(makeState({1, 1, 5, 6}, {{cellPos(1, 2), {3}}})));
  EXPECT_FALSE(base.equals(makeState({1, 1, 5, 5}, {{cellPos(1, 2), {3, 4}}})));
  EXPECT_FALSE(base.equals(makeState({1, 1, 5, 5}, {{cellPos(1, 3), {3}}})));
  EXPECT_FALSE(base.equals(makeState({1, 1, 5, 5}, {})));
  EXPECT_TRUE(base.equals(makeState({1, 1, 5, 5}, {{cellPos(1, 2), {3}}})));
}

TEST(FilterState, HiddenRowsUnionAscending) {
  FilterState s = makeState({}, {{cellPos(1, 1), {5, 3}}, {cellPos(1, 2), {9, 5}}});
  EXPECT_EQ(s.hiddenRows(), (std::set<int32_t>{3, 5, 9}));
}

TEST(FilterState, AssignCopiesAndSelfAssignKeeps) {
  FilterState a = makeState({1, 2, 3, 4}, {{cellPos(1, 2), {8}}});
  FilterState b;
  b.assign(a);
  EXPECT_TRUE(b.equals(a));
  b.assign(b);
  EXPECT_TRUE(b.equals(a));
}

TEST(FilterState, DamagedBytesStopAtTheEnd) {
  const std::string good = makeState({2, 1, 9, 3}, {{cellPos(1, 1), {4, 7}}, {cellPos(1, 2), {1}}}).serialize();
  for (size_t cut = 0; cut < good.size(); ++cut) {
    FilterState s;
    EXPECT_FALSE(s.deserialize(std::string_view(good).substr(0, cut))) << cut;
    EXPECT_LE(s.mColumns.size(), 1u);
  }
  // Counts far beyond the bytes (a hostile document) are not trusted.
  std::string huge(24, '\0');
  uint64_t n = ~uint64_t(0);
  std::memcpy(huge.data() + 16, &n, 8);
  huge += std::string(8, '\x01');  // a key
  huge += std::string(8, '\x7f');  // an enormous row count
  FilterState s;
  EXPECT_FALSE(s.deserialize(huge));
  EXPECT_FALSE(s.active());
}

TEST(FilterState, LoadFilterFromAttributeSlot) {
  CDataCore sheet;
  sheet.resize(3, 3);
  sheet.mFilter.mRange = Range{1, 1, 2, 2};
  sheet.mFilter.mColumns[7] = FilterColumn{7, {1}};
  sheet.loadFilter();  // slot 6 is 0: no columns, range left
  EXPECT_FALSE(sheet.mFilter.active());
  EXPECT_EQ(sheet.mFilter.mRange, (Range{1, 1, 2, 2}));

  FilterState stored = makeState({0, 2, 0, 2}, {{cellPos(1, 2), {2}}});
  std::string bytes = stored.serialize();
  sheet.mAttrs[ATTR_FILTER].value = sheet.internBytes(fnv1a64(bytes.data(), bytes.size()), bytes);
  sheet.loadFilter();
  EXPECT_TRUE(sheet.mFilter.equals(stored));
  expectPoolConsistent(sheet);
}

TEST(FilterState, ColumnKeysFollowInsertedAndDeletedColumns) {
  FilterState s = makeState({}, {{cellPos(1, 2), {1}}, {cellPos(1, 4), {2}}, {cellPos(1, 6), {3}}});
  s.shiftColumns(4, 2);
  EXPECT_EQ(s.mColumns.count(cellPos(1, 2)), 1u);
  EXPECT_EQ(s.mColumns.count(cellPos(1, 6)), 1u);
  EXPECT_EQ(s.mColumns.count(cellPos(1, 8)), 1u);
  EXPECT_EQ(s.mColumns.at(cellPos(1, 6)).rows, (std::unordered_set<int32_t>{2}));
  EXPECT_EQ(s.mColumns.at(cellPos(1, 6)).key, cellPos(1, 6));
  s.dropColumns(5, 6);  // drops the column at 6, moves 8 to 6
  EXPECT_EQ(s.mColumns.size(), 2u);
  EXPECT_EQ(s.mColumns.at(cellPos(1, 6)).rows, (std::unordered_set<int32_t>{3}));
}

}  // namespace
