#include "platform/xl/biff.h"

#include <algorithm>

namespace xl::detail::biff {

void RecordReader::nextPieceIfDone() {
  while (piece_ + 1 < pieces_.size() && pos_ == pieces_[piece_].size()) {
    ++piece_;
    pos_ = 0;
  }
}

void RecordReader::need(size_t n) {
  nextPieceIfDone();
  if (piece_ >= pieces_.size() || pieces_[piece_].size() - pos_ < n)
    throw FileError("record shorter than its content");
}

bool RecordReader::atEnd() const {
  for (size_t p = piece_; p < pieces_.size(); ++p)
    if (pieces_[p].size() > (p == piece_ ? pos_ : 0)) return false;
  return true;
}

uint8_t RecordReader::u8() {
  need(1);
  return uint8_t(pieces_[piece_][pos_++]);
}

uint16_t RecordReader::u16() {
  need(2);
  uint16_t v = le16(pieces_[piece_].data() + pos_);
  pos_ += 2;
  return v;
}

uint32_t RecordReader::u32() {
  need(4);
  const char* p = pieces_[piece_].data() + pos_;
  pos_ += 4;
  return uint32_t(le16(p)) | uint32_t(le16(p + 2)) << 16;
}

double RecordReader::f64() {
  need(8);
  uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = bits << 8 | uint8_t(pieces_[piece_][pos_ + size_t(i)]);
  pos_ += 8;
  double v;
  std::memcpy(&v, &bits, 8);
  return v;
}

void RecordReader::skip(size_t n) {
  while (n > 0) {
    nextPieceIfDone();
    if (piece_ >= pieces_.size()) throw FileError("record shorter than its content");
    size_t here = std::min(n, pieces_[piece_].size() - pos_);
    if (here == 0) throw FileError("record shorter than its content");
    pos_ += here;
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
    if (piece_ < pieces_.size() && pos_ == pieces_[piece_].size()) {
      // The text goes on in the next piece, which restates the width.
      if (piece_ + 1 >= pieces_.size()) throw FileError("text longer than its record");
      ++piece_;
      pos_ = 0;
      wide = u8() & 0x01;
      continue;
    }
    std::string_view p = pieces_[piece_];
    size_t unit = wide ? 2 : 1;
    size_t avail = (p.size() - pos_) / unit;
    if (avail == 0) throw FileError("text split inside a character");
    size_t take = std::min(avail, count - out.size());
    for (size_t i = 0; i < take; ++i, pos_ += unit)
      out += wide ? char16_t(le16(p.data() + pos_)) : char16_t(uint8_t(p[pos_]));
  }
  skip(runs * 4);
  skip(ext);
  return out;
}

void RecordWriter::record(uint16_t type, std::string_view body) {
  begin(type);
  out_ += body;
  end();
}

void RecordWriter::begin(uint16_t type) {
  start_ = out_.size();
  u16(type);
  u16(0);  // the length, set by end()
}

void RecordWriter::end() {
  size_t n = bodySize();
  out_[start_ + 2] = char(n & 0xFF);
  out_[start_ + 3] = char(n >> 8);
}

void RecordWriter::u16(uint16_t v) {
  out_ += char(v & 0xFF);
  out_ += char(v >> 8);
}

void RecordWriter::u32(uint32_t v) {
  u16(uint16_t(v & 0xFFFF));
  u16(uint16_t(v >> 16));
}

void RecordWriter::f64(double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, 8);
  for (int i = 0; i < 8; ++i) out_ += char((bits >> (8 * i)) & 0xFF);
}

void RecordWriter::patch32(size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) out_[at + size_t(i)] = char((v >> (8 * i)) & 0xFF);
}

}  // namespace xl::detail::biff
