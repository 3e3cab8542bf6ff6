#include "store/CsvStream.h"

#include <emmintrin.h>

#include <algorithm>
#include <cassert>
#include <cstring>

#include "platform/FileIo.h"
#include "store/BlockIo.h"

namespace {

// Index of the first of p[0..n) equal to a, b or c; n when there is none.
size_t findAny(const char* p, size_t n, char a, char b, char c) {
  size_t i = 0;
  const __m128i va = _mm_set1_epi8(a), vb = _mm_set1_epi8(b), vc = _mm_set1_epi8(c);
  for (; i + 16 <= n; i += 16) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, va), _mm_cmpeq_epi8(v, vb)), _mm_cmpeq_epi8(v, vc));
    int mask = _mm_movemask_epi8(hit);
    if (mask != 0) return i + static_cast<size_t>(__builtin_ctz(mask));
  }
  for (; i < n; ++i) {
    if (p[i] == a || p[i] == b || p[i] == c) return i;
  }
  return n;
}

size_t findAny(const char16_t* p, size_t n, char16_t a, char16_t b, char16_t c) {
  size_t i = 0;
  const __m128i va = _mm_set1_epi16(static_cast<short>(a));
  const __m128i vb = _mm_set1_epi16(static_cast<short>(b));
  const __m128i vc = _mm_set1_epi16(static_cast<short>(c));
  for (; i + 8 <= n; i += 8) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    __m128i hit =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(v, va), _mm_cmpeq_epi16(v, vb)), _mm_cmpeq_epi16(v, vc));
    int mask = _mm_movemask_epi8(hit);
    if (mask != 0) return i + static_cast<size_t>(__builtin_ctz(mask)) / 2;
  }
  for (; i < n; ++i) {
    if (p[i] == a || p[i] == b || p[i] == c) return i;
  }
  return n;
}

size_t findUnit(const char* p, size_t n, char a) {
  const void* hit = std::memchr(p, a, n);
  return hit ? static_cast<size_t>(static_cast<const char*>(hit) - p) : n;
}

size_t findUnit(const char16_t* p, size_t n, char16_t a) { return findAny(p, n, a, a, a); }

}  // namespace

template <class Unit>
BasicCsvStream<Unit>::BasicCsvStream(const std::u16string& path, int32_t startOffset, Unit delimiter, Unit quote,
                                     Unit lf, Unit cr, bool quoteDetect, size_t blockBytes, size_t lineUnits)
    : mStartOffset(startOffset), mDelimiter(delimiter), mQuote(quote), mLf(lf), mCr(cr), mQuoteDetect(quoteDetect),
      mBlockBytes(std::max<size_t>(blockBytes, 1)) {
  mFile = _wfopen(path.c_str(), u"rb");
  // A file smaller than the buffers gets buffers of its size: a small file or a
  // page of one costs little memory. The line grows should the file grow.
  uint64_t size = 0;
  if (mFile != nullptr && fileSizeOf(mFile, size)) {
    const uint64_t left = size > static_cast<uint64_t>(std::max(startOffset, 0)) ? size - startOffset : 0;
    mBlockBytes = static_cast<size_t>(std::min<uint64_t>(mBlockBytes, std::max<uint64_t>(left, sizeof(Unit))));
    lineUnits = static_cast<size_t>(std::min<uint64_t>(lineUnits, left / sizeof(Unit) + 2));
  }
  mBlock.reset(new Unit[mBlockBytes / sizeof(Unit) + 1]);
  mLineCapacity = std::max<size_t>(lineUnits, 1);
  mLine.reset(new Unit[mLineCapacity]);
  mLine[0] = 0;
  rewind();
}

template <class Unit>
BasicCsvStream<Unit>::~BasicCsvStream() {
  if (mFile != nullptr) std::fclose(mFile);
}

template <class Unit>
void BasicCsvStream<Unit>::seek(uint64_t offset) {
  mFileOffset = offset;
  mPos = 0;
  mFill = 0;
  mCarry = 0;
}

template <class Unit>
uint64_t BasicCsvStream<Unit>::offset() const {
  return mFileOffset - mCarry - (mFill - mPos) * sizeof(Unit);
}

template <class Unit>
uint64_t BasicCsvStream<Unit>::fileSize() const {
  uint64_t size = 0;
  return mFile != nullptr && fileSizeOf(mFile, size) ? size : 0;
}

// Reads the next block. A 16-bit unit split by a read keeps its first byte in
// mCarry for the next one. Returns false, with the fill 0, when the file has
// nothing more to give.
template <class Unit>
bool BasicCsvStream<Unit>::refill() {
  mPos = 0;
  mFill = 0;
  if (mFile == nullptr) return false;
  char* raw = reinterpret_cast<char*>(mBlock.get());
  while (mFill == 0) {
    if (mCarry != 0) raw[0] = mCarryByte;
    size_t got = readAt(mFile, raw + mCarry, mBlockBytes, mFileOffset);
    if (got == 0) return false;
    mFileOffset += got;
    size_t total = mCarry + got;
    mFill = total / sizeof(Unit);
    mCarry = total % sizeof(Unit);
    if (mCarry != 0) mCarryByte = raw[total - 1];
  }
  return true;
}

template <class Unit>
Unit BasicCsvStream<Unit>::nextUnit() {
  if (mPos < mFill) return mBlock[mPos++];
  if (!refill()) return 0;
  return mBlock[mPos++];
}

template <class Unit>
void BasicCsvStream<Unit>::appendToLine(Unit u) {
  if (mLineLength + 2 > mLineCapacity) {
    uint64_t grown = std::max<uint64_t>(mLineCapacity + mLineCapacity / 2, mLineLength + 2);
    std::unique_ptr<Unit[]> bigger(new Unit[grown]);
    std::memcpy(bigger.get(), mLine.get(), mLineLength * sizeof(Unit));
    mLine = std::move(bigger);
    mLineCapacity = grown;
  }
  mLine[mLineLength++] = u;
  mLine[mLineLength] = 0;
}

// Takes block units [from, to) into the record: copied into the line when
// `keep`, only counted otherwise.
template <class Unit>
void BasicCsvStream<Unit>::takeRun(size_t from, size_t to, bool keep) {
  if (from == to) return;
  size_t n = to - from;
  if (keep) {
    if (mLineLength + n + 1 > mLineCapacity) {
      uint64_t grown = mLineCapacity;
      while (grown < mLineLength + n + 1) grown = std::max<uint64_t>(grown + grown / 2, grown + 1);
      std::unique_ptr<Unit[]> bigger(new Unit[grown]);
      std::memcpy(bigger.get(), mLine.get(), mLineLength * sizeof(Unit));
      mLine = std::move(bigger);
      mLineCapacity = grown;
    }
    std::memcpy(mLine.get() + mLineLength, mBlock.get() + from, n * sizeof(Unit));
    mLine[mLineLength + n] = 0;
  }
  mLineLength += n;
  mLastUnit = mBlock[to - 1];
  if (mDoubleByte) trackPairs(from, to);
}

// Follows lead and trail bytes through block units [from, to): a lead byte followed by
// a valid trail byte makes a pair, anything else stands alone.
template <class Unit>
void BasicCsvStream<Unit>::trackPairs(size_t from, size_t to) {
  for (size_t i = from; i < to; ++i) {
    const unsigned u = static_cast<unsigned>(mBlock[i]) & 0xFFu;
    if (mLeadPending && u >= 0x40 && u <= 0xFE && u != 0x7F) {
      mLeadPending = false;
      mLastTrail = true;
      continue;
    }
    mLastTrail = false;
    mLeadPending = u >= 0x81 && u <= 0xFE;
  }
}

// Index of the delimiter ending the field that goes on at `from` (a character start),
// or len.
template <class Unit>
size_t BasicCsvStream<Unit>::fieldEnd(const Unit* s, size_t from, size_t len) const {
  size_t j = from;
  if (!mDoubleByte) return from + findUnit(s + from, len - from, mDelimiter);
  while (j < len && s[j] != mDelimiter) {
    const unsigned u = static_cast<unsigned>(s[j]) & 0xFFu;
    const unsigned next = j + 1 < len ? static_cast<unsigned>(s[j + 1]) & 0xFFu : 0u;
    const bool pair = u >= 0x81 && u <= 0xFE && next >= 0x40 && next <= 0xFE && next != 0x7F;
    j += pair ? 2 : 1;
  }
  return std::min(j, len);
}

// Outside quotes: runs up to the next LF, CR or (quote detection on) quote.
// A quote right after a delimiter opens a quoted section; elsewhere it is an
// ordinary unit. Returns true when the record has ended.
template <class Unit>
bool BasicCsvStream<Unit>::plainStep(bool keep, State& state) {
  const bool quotes = mQuoteDetect;
  size_t n = mFill - mPos;
  size_t i = findAny(mBlock.get() + mPos, n, mLf, mCr, quotes ? mQuote : mLf);
  size_t stop = mPos + i;
  if (i == n) {
    takeRun(mPos, mFill, keep);
    mPos = mFill;
    return false;
  }
  Unit c = mBlock[stop];
  if (c == mQuote && quotes) {
    // Never the first unit of the record (that is a field start): there is a
    // previous unit, in this block or the last one taken.
    Unit prev = stop > mPos ? mBlock[stop - 1] : mLastUnit;
    takeRun(mPos, stop, keep);
    const bool prevIsTrail = mDoubleByte && mLastTrail;  // a character's second byte
    takeRun(stop, stop + 1, keep);
    mPos = stop + 1;
    if (prev == mDelimiter && !prevIsTrail) state = State::Quoted;
    return false;
  }
  takeRun(mPos, stop, keep);
  mPos = stop + 1;
  if (c == mCr) {
    // A lone CR ends the record too; an LF right after it belongs to it.
    if (mPos == mFill) refill();
    if (mFill != 0 && mBlock[mPos] == mLf) ++mPos;
  }
  return true;
}

// Inside quotes: runs up to the next quote, which is kept.
template <class Unit>
bool BasicCsvStream<Unit>::quotedStep(bool keep, State& state) {
  size_t n = mFill - mPos;
  size_t i = findUnit(mBlock.get() + mPos, n, mQuote);
  if (i == n) {
    takeRun(mPos, mFill, keep);
    mPos = mFill;
    return false;
  }
  takeRun(mPos, mPos + i + 1, keep);
  mPos += i + 1;
  state = State::QuoteSeen;
  return false;
}

template <class Unit>
void BasicCsvStream<Unit>::readRecordInto(bool keep) {
  mLineLength = 0;
  mLine[0] = 0;
  mLastUnit = 0;
  mLeadPending = mLastTrail = false;
  State state = State::FieldStart;
  for (;;) {
    if (mPos == mFill && !refill()) return;  // the end of the data ends the record
    Unit c = mBlock[mPos];
    switch (state) {
      case State::FieldStart:
        if (c == mLf) {
          ++mPos;
          return;
        }
        if (c == mQuote && mQuoteDetect) {
          takeRun(mPos, mPos + 1, keep);
          ++mPos;
          state = State::Quoted;
        } else {
          state = State::Plain;
        }
        break;
      case State::Plain:
        if (plainStep(keep, state)) return;
        break;
      case State::Quoted: quotedStep(keep, state); break;
      case State::QuoteSeen:
        // A doubled quote stays inside the section; anything else ends it.
        if (c == mQuote) {
          takeRun(mPos, mPos + 1, keep);
          ++mPos;
          state = State::Quoted;
        } else {
          state = State::Plain;
        }
        break;
    }
  }
}

template <class Unit>
const Unit* BasicCsvStream<Unit>::readRecord() {
  readRecordInto(true);
  return mLine.get();
}

template <class Unit>
void BasicCsvStream<Unit>::skipRecord() {
  readRecordInto(false);
}

// Whether the record at block unit `pos` lies whole in the block and ends at
// its first LF or CR, with no quote before it (quote detection on): then it
// runs to `end`, and the next record starts at `next`. A CR that ends the
// block does not tell: an LF may follow it.
template <class Unit>
bool BasicCsvStream<Unit>::plainRecordAt(size_t pos, size_t& end, size_t& next) const {
  const Unit* block = mBlock.get();
  end = pos + findAny(block + pos, mFill - pos, mLf, mCr, mQuoteDetect ? mQuote : mLf);
  if (end == mFill) return false;  // the record goes on past the block
  const Unit c = block[end];
  next = end + 1;
  if (c == mCr) {
    if (next == mFill) return false;
    if (block[next] == mLf) ++next;
    return true;
  }
  return c == mLf;  // not a quote: skipRecord() decides whether it opens a section
}

template <class Unit>
uint64_t BasicCsvStream<Unit>::skipPlainRecords(uint64_t limit) {
  const uint64_t blockEnd = mFileOffset - mCarry;  // the offset just past the block's units
  uint64_t count = 0;
  size_t end, next;
  while (mPos < mFill && blockEnd - (mFill - mPos) * sizeof(Unit) < limit && plainRecordAt(mPos, end, next)) {
    mLineLength = end - mPos;
    mPos = next;
    ++count;
  }
  return count;
}

template <class Unit>
const Unit* BasicCsvStream<Unit>::readPlainRecord() {
  size_t end, next;
  if (mPos >= mFill || !plainRecordAt(mPos, end, next)) return nullptr;
  const Unit* record = mBlock.get() + mPos;
  mLineLength = end - mPos;
  mPos = next;
  return record;
}

template <class Unit>
size_t BasicCsvStream<Unit>::fieldSpans(std::vector<FieldSpan>& out) const {
  size_t count = 0;
  const auto add = [&out, &count](size_t begin, size_t end, bool quoted) {
    if (count == out.size()) out.resize(count * 2 + 16);
    out[count++] = FieldSpan{begin, end, quoted};
  };
  const Unit* s = mLine.get();
  const size_t len = mLineLength;
  const bool quotes = mQuoteDetect;
  size_t i = 0;
  while (i < len) {  // i is a field start
    size_t j = i;
    if (quotes && s[i] == mQuote) {
      // The section runs to the first quote not doubled (or the record's end).
      j = i + 1;
      while (j < len) {
        j += findUnit(s + j, len - j, mQuote);
        if (j >= len) break;
        if (j + 1 < len && s[j + 1] == mQuote) {
          j += 2;
          continue;
        }
        break;
      }
      add(i + 1, std::min(j, len), true);
      if (j < len) ++j;         // the closing quote
      j = fieldEnd(s, j, len);  // dropped after the closing quote
    } else {
      j = fieldEnd(s, i, len);
      add(i, j, false);
    }
    if (j >= len) break;
    if (j + 1 == len) {  // a delimiter ends the record: one more empty field
      add(len, len, false);
      break;
    }
    i = j + 1;
  }
  return count;
}

template <class Unit>
size_t BasicCsvStream<Unit>::copyField(const FieldSpan& span, Unit* out) const {
  const Unit* s = mLine.get();
  if (!span.quoted) {
    std::memcpy(out, s + span.begin, (span.end - span.begin) * sizeof(Unit));
    return span.end - span.begin;
  }
  size_t n = 0;
  for (size_t i = span.begin; i < span.end;) {
    const size_t run = findUnit(s + i, span.end - i, mQuote);
    std::memcpy(out + n, s + i, run * sizeof(Unit));
    n += run;
    i += run;
    if (i < span.end) {  // a doubled quote gives one
      out[n++] = mQuote;
      i += 2;
    }
  }
  return n;
}

template <class Unit>
std::vector<typename BasicCsvStream<Unit>::String> BasicCsvStream<Unit>::splitLine() const {
  std::vector<FieldSpan> spans;
  std::vector<String> fields(fieldSpans(spans));
  for (size_t k = 0; k < fields.size(); ++k) {
    fields[k].resize(spans[k].end - spans[k].begin);
    fields[k].resize(copyField(spans[k], fields[k].data()));
  }
  return fields;
}

template <class Unit>
std::vector<typename BasicCsvStream<Unit>::String> BasicCsvStream<Unit>::nextFields() {
  readRecordInto(true);
  return splitLine();
}

template class BasicCsvStream<char>;
template class BasicCsvStream<char16_t>;
