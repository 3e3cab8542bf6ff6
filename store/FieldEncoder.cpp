// The field encoder of the delimited writers: cells into the bytes of one line.
#include "store/FieldEncoder.h"

#include <bit>
#include <cctype>

namespace textout {

namespace {

// The most bytes one UTF-16 unit takes in any of the writers' encodings.
constexpr size_t MAX_UNIT_BYTES = 3;

// The n units in `enc` written at p (room for MAX_UNIT_BYTES * n bytes); returns the end.
char* encodeUnits(int32_t enc, const char16_t* s, size_t n, char* p) {
  switch (enc) {
    case ENC_UTF8:
    case ENC_UTF8_NOBOM: return p + utf8Encode(s, n, p);
    case ENC_UTF16LE: std::memcpy(p, s, 2 * n); return p + 2 * n;
    case ENC_UTF16BE:
      for (size_t i = 0; i < n; ++i, p += 2) {
        p[0] = static_cast<char>(s[i] >> 8);
        p[1] = static_cast<char>(s[i] & 0xFF);
      }
      return p;
    default: return p + ansiEncode(s, n, p);
  }
}

// Copies n bytes that are followed by at least COPY_SLACK readable bytes to p,
// which has room for n + COPY_SLACK: a short field moves in one fixed-size copy.
template <size_t Slack>
inline void copyWithSlack(char* p, const char* src, size_t n) {
  if (n <= Slack) {
    std::memcpy(p, src, Slack);
  } else {
    std::memcpy(p, src, n);
  }
}

}  // namespace

FieldEncoder::FieldEncoder(const CDataCore& sheet, const LineFormat& f, size_t keptBytes)
    : mSheet(sheet), mFormat(f), mDelimiter(static_cast<char16_t>(static_cast<unsigned char>(f.delimiter))),
      mKeptBytes(keptBytes ? keptBytes : KEPT_BYTES), mMaxKeptField(std::min(MAX_KEPT_FIELD, mKeptBytes / 4)) {
  mAsciiBytes = f.encoding != ENC_UTF16LE && f.encoding != ENC_UTF16BE;
  // Number texts hold digits, '-', '.', and "nan" / "inf".
  const unsigned char d = static_cast<unsigned char>(f.delimiter);
  mDelimiterInNumbers = std::isalnum(d) || d == '-' || d == '.' || d == '+';
  std::memset(mSpecial, 0, sizeof mSpecial);
  for (unsigned char c : {'\0', '\n', '\r', ','}) mSpecial[c] = 1;
  mSpecial[d] = 1;
  assert(f.delimiterBytes.size() <= 4 && f.lineEnd.size() <= 8);
  std::memset(mDelimiterBytes, 0, sizeof mDelimiterBytes);
  std::memset(mLineEnd, 0, sizeof mLineEnd);
  mDelimiterLength = std::min(f.delimiterBytes.size(), sizeof mDelimiterBytes);
  std::memcpy(mDelimiterBytes, f.delimiterBytes.data(), mDelimiterLength);
  mLineEndLength = std::min(f.lineEnd.size(), sizeof mLineEnd);
  std::memcpy(mLineEnd, f.lineEnd.data(), mLineEndLength);
  // Room for the sheet's distinct texts at a load of at most one half, up to one
  // slot per BYTES_PER_SLOT bytes kept; the table starts small and grows as texts
  // are kept, so that a write keeping few texts probes a table the core's cache holds.
  mMaxSlots = std::min(std::bit_ceil(std::max<size_t>(2 * sheet.mPool.size(), MIN_SLOTS)),
                       std::bit_ceil(std::max<size_t>(mKeptBytes / BYTES_PER_SLOT, MIN_SLOTS)));
  resizeSlots(std::min(mMaxSlots, FIRST_SLOTS));
  mBytes.resize(COPY_SLACK);
}

void FieldEncoder::appendLines(const std::vector<int32_t>& rows, size_t from, size_t to, std::string& out) {
  Sink sink(out);
  const StringPool& pool = mSheet.mPool;
  for (size_t group = from; group < to;) {
    size_t end = group, cells = 0;
    mPending.clear();
    while (end < to && (end == group || cells < GROUP_CELLS)) {
      const Cell* row = mSheet.mDatas[rows[end++]];
      for (int32_t col : mFormat.cols) {
        const Cell& c = row[col];
        if (isTextKind(c.kind) && c.value != 0 && !kept(c.value)) {
          pool.prefetch(c.value);
          mPending.push_back({c.value, {}, false});
        }
      }
      cells += mFormat.cols.size();
    }
    for (Pending& q : mPending) q.present = pool.lookup(q.key, q.entry);
    mNextPending = 0;
    for (size_t i = group; i < end; ++i) encodeRow(rows[i], sink);
    group = end;
  }
  mPending.clear();
  mNextPending = 0;
}

void FieldEncoder::appendLine(int32_t row, std::string& out) {
  Sink sink(out);
  encodeRow(row, sink);
}

void FieldEncoder::encodeRow(int32_t row, Sink& out) {
  const Cell* cells = mSheet.mDatas[row];
  const size_t count = mFormat.cols.size();
  for (size_t i = 0; i < count; ++i) {
    const int32_t col = mFormat.cols[i];
    const Cell& c = cells[col];
    out.need(NUMBER_ROOM + COPY_SLACK);
    if (i != 0) {
      std::memcpy(out.p(), mDelimiterBytes, 4);
      out.p() += mDelimiterLength;
    }
    if (isTextKind(c.kind)) {
      if (c.value == 0) continue;
      const Slot& slot = slotOf(c.value);
      if (slot.key == c.value) {  // kept: its bytes as they are
        if (mNextPending < mPending.size() && mPending[mNextPending].key == c.value) ++mNextPending;
        out.need(slot.length + COPY_SLACK);
        copyWithSlack<COPY_SLACK>(out.p(), mBytes.data() + slot.offset, slot.length);
        out.p() += slot.length;
      } else {
        appendPooled(c.value, out);
      }
    } else if (c.kind == CELL_INT64) {
      if (mAsciiBytes && !mDelimiterInNumbers) {
        out.p() = std::to_chars(out.p(), out.p() + 24, c.asInt64()).ptr;
      } else {
        char buf[24 + COPY_SLACK];
        appendNumberText(buf, size_t(std::to_chars(buf, buf + 24, c.asInt64()).ptr - buf), out);
      }
    } else if (c.kind == CELL_DOUBLE) {
      char buf[DOUBLE_CHARS_MAX + COPY_SLACK];
      appendNumberText(buf, doubleChars(c.asDouble(), buf), out);
    } else {
      appendGeneric(mSheet.getText(row, col), out);
    }
  }
  out.need(sizeof mLineEnd);
  std::memcpy(out.p(), mLineEnd, sizeof mLineEnd);
  out.p() += mLineEndLength;
}

// The field of a pooled text not kept: from the group's look-up made ahead,
// or looked up now.
void FieldEncoder::appendPooled(uint64_t key, Sink& out) {
  const StringPool::Entry* entry = nullptr;
  StringPool::Entry found;
  if (mNextPending < mPending.size() && mPending[mNextPending].key == key) {
    const Pending& q = mPending[mNextPending++];
    entry = q.present ? &q.entry : nullptr;
  }
  if (entry == nullptr && mSheet.mPool.lookup(key, found)) entry = &found;
  appendFromEntry(key, entry, out);
}

// Encodes the entry's units up to the first NUL (nothing for a missing entry),
// quoted when they need it, and keeps the field when the sheet holds the text
// more than once.
void FieldEncoder::appendFromEntry(uint64_t key, const StringPool::Entry* entry, Sink& out) {
  if (entry == nullptr) return;
  const char16_t* t = reinterpret_cast<const char16_t*>(entry->bytes);
  const size_t units = entry->len / 2;
  bool quote = units != 0 && t[0] == u'"';
  size_t n = 0;
  for (; n < units; ++n) {
    const char16_t u = t[n];
    if (u < 256 && mSpecial[u]) {
      if (u == 0) break;
      quote = true;
    }
  }
  if (quote) {
    mQuoted.clear();
    mQuoted.push_back(u'"');
    for (size_t i = 0; i < n; ++i) {
      mQuoted.push_back(t[i]);
      if (t[i] == u'"') mQuoted.push_back(u'"');
    }
    mQuoted.push_back(u'"');
    t = mQuoted.data();
    n = mQuoted.size();
  }
  out.need(MAX_UNIT_BYTES * n + COPY_SLACK);
  char* const start = out.p();
  out.p() = encodeUnits(mFormat.encoding, t, n, start);
  if (entry->count > 1) keep(key, start, size_t(out.p() - start));
}

void FieldEncoder::keep(uint64_t key, const char* bytes, size_t length) {
  if (length > mMaxKeptField) return;
  if (2 * (mKeptCount + 1) > mSlots.size() && mSlots.size() < mMaxSlots) resizeSlots(2 * mSlots.size());
  if (2 * (mKeptCount + 1) > mSlots.size() || mBytesUsed + length > mKeptBytes) {
    // Full: start again, so that the texts of the rows now written take the room.
    std::fill(mSlots.begin(), mSlots.end(), Slot{});
    mKeptCount = 0;
    mBytesUsed = 0;
  }
  if (mBytes.size() < mBytesUsed + length + COPY_SLACK) {
    mBytes.resize(std::max(mBytesUsed + length + COPY_SLACK, 2 * mBytes.size()));
  }
  std::memcpy(mBytes.data() + mBytesUsed, bytes, length);
  slotOf(key) = Slot{key, static_cast<uint32_t>(mBytesUsed), static_cast<uint32_t>(length)};
  mBytesUsed += length;
  ++mKeptCount;
}

// A table of `count` slots (a power of two) holding the kept texts.
void FieldEncoder::resizeSlots(size_t count) {
  std::vector<Slot> old(count);
  old.swap(mSlots);
  mSlotMask = count - 1;
  mShift = 64 - std::countr_zero(count);
  for (const Slot& s : old) {
    if (s.key != 0) slotOf(s.key) = s;
  }
}

// A number's ASCII text, followed by COPY_SLACK bytes of its buffer; quoted
// only when it holds the delimiter.
void FieldEncoder::appendNumberText(const char* p, size_t n, Sink& out) {
  if (mDelimiterInNumbers && std::memchr(p, mFormat.delimiter, n) != nullptr) {
    appendGeneric(std::u16string(p, p + n), out);
    return;
  }
  out.need(2 * n + COPY_SLACK);
  char* o = out.p();
  if (mAsciiBytes) {
    copyWithSlack<COPY_SLACK>(o, p, n);
    out.p() = o + n;
    return;
  }
  const bool big = mFormat.encoding == ENC_UTF16BE;
  for (size_t i = 0; i < n; ++i, o += 2) {
    o[big ? 1 : 0] = p[i];
    o[big ? 0 : 1] = 0;
  }
  out.p() = o;
}

// A text of no pooled kind: quoted when it needs it (csvQuote), else as it
// stands, NULs and all.
void FieldEncoder::appendGeneric(std::u16string_view text, Sink& out) {
  if (csvNeedsQuote(text, mDelimiter)) {
    const std::u16string quoted = csvQuote(text, mDelimiter);
    appendUnits(quoted.data(), quoted.size(), out);
  } else {
    appendUnits(text.data(), text.size(), out);
  }
}

void FieldEncoder::appendUnits(const char16_t* s, size_t n, Sink& out) {
  out.need(MAX_UNIT_BYTES * n + COPY_SLACK);
  out.p() = encodeUnits(mFormat.encoding, s, n, out.p());
}

}  // namespace textout
