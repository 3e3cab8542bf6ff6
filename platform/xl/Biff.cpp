#include "platform/xl/Biff.h"

#include <algorithm>

namespace xl::detail::biff {

void RecordReader::nextPieceIfDone() {
  while (mPiece + 1 < mPieces.size() && mPos == mPieces[mPiece].size()) {
    ++mPiece;
    mPos = 0;
  }
}

void RecordReader::need(size_t n) {
  nextPieceIfDone();
  if (mPiece >= mPieces.size() || mPieces[mPiece].size() - mPos < n)
    throw FileError("record shorter than its content");
}

bool RecordReader::atEnd() const {
  for (size_t p = mPiece; p < mPieces.size(); ++p)
    if (mPieces[p].size() > (p == mPiece ? mPos : 0)) return false;
  return true;
}

uint8_t RecordReader::u8() {
  need(1);
  return uint8_t(mPieces[mPiece][mPos++]);
}

uint16_t RecordReader::u16() {
  need(2);
  uint16_t v = le16(mPieces[mPiece].data() + mPos);
  mPos += 2;
  return v;
}

uint32_t RecordReader::u32() {
  need(4);
  const char* p = mPieces[mPiece].data() + mPos;
  mPos += 4;
  return uint32_t(le16(p)) | uint32_t(le16(p + 2)) << 16;
}

double RecordReader::f64() {
  need(8);
  uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = bits << 8 | uint8_t(mPieces[mPiece][mPos + size_t(i)]);
  mPos += 8;
  double v;
  std::memcpy(&v, &bits, 8);
  return v;
}

void RecordReader::skip(size_t n) {
  while (n > 0) {
    nextPieceIfDone();
    if (mPiece >= mPieces.size()) throw FileError("record shorter than its content");
    size_t here = std::min(n, mPieces[mPiece].size() - mPos);
    if (here == 0) throw FileError("record shorter than its content");
    mPos += here;
    n -= here;
  }
}

std::u16string RecordReader::unicodeString(bool wideCount) {
  size_t count = wideCount ? u16() : u8();
  uint8_t flags = u8();
  bool wide = flags & 0x01;
  size_t runs = flags & 0x08 ? u16() : 0;
  size_t ext = flags & 0x04 ? u32() : 0;
  std::u16string out;
  out.reserve(count);
  while (out.size() < count) {
    if (mPiece < mPieces.size() && mPos == mPieces[mPiece].size()) {
      // The text goes on in the next piece, which restates the width.
      if (mPiece + 1 >= mPieces.size()) throw FileError("text longer than its record");
      ++mPiece;
      mPos = 0;
      wide = u8() & 0x01;
      continue;
    }
    std::string_view p = mPieces[mPiece];
    size_t unit = wide ? 2 : 1;
    size_t avail = (p.size() - mPos) / unit;
    if (avail == 0) throw FileError("text split inside a character");
    size_t take = std::min(avail, count - out.size());
    for (size_t i = 0; i < take; ++i, mPos += unit)
      out += wide ? char16_t(le16(p.data() + mPos)) : char16_t(uint8_t(p[mPos]));
  }
  skip(runs * 4);
  skip(ext);
  return out;
}

void RecordWriter::record(uint16_t type, std::string_view body) {
  begin(type);
  mOut += body;
  end();
}

void RecordWriter::begin(uint16_t type) {
  mStart = mOut.size();
  u16(type);
  u16(0);  // the length, set by end()
}

void RecordWriter::end() {
  size_t n = bodySize();
  mOut[mStart + 2] = char(n & 0xFF);
  mOut[mStart + 3] = char(n >> 8);
}

void RecordWriter::u16(uint16_t v) {
  mOut += char(v & 0xFF);
  mOut += char(v >> 8);
}

void RecordWriter::u32(uint32_t v) {
  u16(uint16_t(v & 0xFFFF));
  u16(uint16_t(v >> 16));
}

void RecordWriter::f64(double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, 8);
  for (int i = 0; i < 8; ++i) mOut += char((bits >> (8 * i)) & 0xFF);
}

void RecordWriter::patch32(size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) mOut[at + size_t(i)] = char((v >> (8 * i)) & 0xFF);
}

}  // namespace xl::detail::biff
