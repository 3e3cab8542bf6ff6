// The sheet's storage records: the 10-byte cell, the 12-byte attribute slot and the
// 496-byte document head. All three are packed: they are written to and read from
// document files as raw blocks, so their layout is fixed to the byte.
#pragma once
#include <cstdint>
#include <cstring>

// What a cell's 8-byte value means. Kinds marked "pool" hold a text key that owns one
// reference to its string-pool entry while the key is non-zero.
enum CellKind : uint8_t {
  CELL_TEXT = 0,      // pool: text key, 0 = empty cell
  CELL_INT64 = 1,     // signed 64-bit integer
  CELL_DOUBLE = 2,    // IEEE double
  CELL_HANDLER = 3,   // pool: key whose entry's first 16 bytes go to the value handler
  CELL_EXPRTK = 4,    // pool: exprtk script text
  CELL_TCC = 5,       // pool: C script text
  CELL_PYTHON = 6,    // pool: Python script text
  CELL_DATETIME = 7,  // seconds since 1970, shown in local time
  CELL_FORMULA = 8,   // pool: formula text (starts with '='); value in mFormulaValues
};

// True for the kinds whose value is a text key owning a pool reference.
inline bool isPoolKind(uint8_t kind) {
  return kind == CELL_TEXT || (kind >= CELL_HANDLER && kind <= CELL_PYTHON) || kind == CELL_FORMULA;
}

// True for the kinds shown as their pool text: texts, scripts and formulas.
inline bool isTextKind(uint8_t kind) {
  return kind == CELL_TEXT || (kind >= CELL_EXPRTK && kind <= CELL_PYTHON) || kind == CELL_FORMULA;
}

// One cell: kind, flag, value. An all-zero cell is an empty cell. In row 0 and column 0
// (the header cells) the value is a width or height and flag 1 hides the column or row.
// A saved cell may carry flag 0xFF: writing it back keeps the destination's flag.
struct __attribute__((packed)) Cell {
  uint8_t kind;
  uint8_t flag;
  uint64_t value;  // int64, double bits, time value or text key, by kind

  int64_t asInt64() const { return static_cast<int64_t>(value); }
  double asDouble() const {
    double d;
    uint64_t v = value;
    std::memcpy(&d, &v, sizeof d);
    return d;
  }
  void setDoubleBits(double d) {
    uint64_t v;
    std::memcpy(&v, &d, sizeof v);
    value = v;
  }
  bool isZero() const { return kind == 0 && flag == 0 && value == 0; }
};
static_assert(sizeof(Cell) == 10, "a cell is 10 bytes");

constexpr uint8_t CELL_FLAG_KEEP = 0xFF;  // saved-cell flag: keep the destination's flag

// One document attribute: an 8-byte value and 4 reserved bytes.
struct __attribute__((packed)) AttrSlot {
  uint64_t value;
  uint32_t reserved;
};
static_assert(sizeof(AttrSlot) == 12, "an attribute slot is 12 bytes");

// The attribute slots in use; the others stay 0.
enum DocAttr : int32_t {
  ATTR_EDIT_LOCK = 1,       // non-zero blocks the grid's edit commands
  ATTR_FILTER = 6,          // pool key of the serialised filter state
  ATTR_BANDED_ROWS = 7,     // 0 shows alternate-row bands
  ATTR_EXPRTK_SCRIPT = 8,   // pool key of the exprtk document script
  ATTR_C_SCRIPT = 9,        // pool key of the C document script
  ATTR_PYTHON_SCRIPT = 10,  // pool key of the Python document script
};
constexpr int32_t ATTR_SLOT_COUNT = 36;

// True for the slots whose value is a text key owning a pool reference.
inline bool isTextAttr(int32_t slot) {
  return slot == ATTR_FILTER || slot == ATTR_EXPRTK_SCRIPT || slot == ATTR_C_SCRIPT || slot == ATTR_PYTHON_SCRIPT;
}

// The head of a document, written as one raw block. Aligned to 8 so that mPoolBytes
// (offset 40) can be updated atomically by concurrent pool inserts.
struct __attribute__((packed, aligned(8))) DocHeader {
  uint64_t mReserved0[3];  // 0 in every document this program makes
  uint64_t mRowCount;      // rows, header row 0 included
  uint64_t mColCount;      // columns, header column 0 included
  int64_t mPoolBytes;      // sum over pool entries of (entry length + 8)
  uint64_t mReserved1[2];  // 0 likewise
  AttrSlot mAttrs[ATTR_SLOT_COUNT];
};
static_assert(sizeof(DocHeader) == 496, "the document head is 496 bytes");
static_assert(__builtin_offsetof(DocHeader, mRowCount) == 24);
static_assert(__builtin_offsetof(DocHeader, mColCount) == 32);
static_assert(__builtin_offsetof(DocHeader, mPoolBytes) == 40);
static_assert(__builtin_offsetof(DocHeader, mAttrs) == 64);

// A cell position as one 64-bit value: row in the low 32 bits, column in the high 32.
inline uint64_t cellPos(int32_t row, int32_t col) {
  return static_cast<uint32_t>(row) | (static_cast<uint64_t>(static_cast<uint32_t>(col)) << 32);
}
inline int32_t posRow(uint64_t pos) { return static_cast<int32_t>(static_cast<uint32_t>(pos)); }
inline int32_t posCol(uint64_t pos) { return static_cast<int32_t>(static_cast<uint32_t>(pos >> 32)); }
