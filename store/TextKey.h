// Text keys: FNV-1a 64 over a text's UTF-16LE bytes and its 2-byte NUL terminator.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

constexpr uint64_t FNV_OFFSET_BASIS = 0xcbf29ce484222325ULL;
constexpr uint64_t FNV_PRIME = 0x100000001b3ULL;

// FNV-1a 64 over raw bytes, no terminator (the key of a serialised filter state).
inline uint64_t fnv1a64(const void* data, size_t len) {
  const unsigned char* p = static_cast<const unsigned char*>(data);
  uint64_t h = FNV_OFFSET_BASIS;
  for (size_t i = 0; i < len; ++i) {
    h ^= p[i];
    h *= FNV_PRIME;
  }
  return h;
}

// The key of a wide text: 2 x length + 2 bytes hashed one per step, low byte of each
// code unit first, then the two NUL bytes. The empty text has key 0 (no text).
inline uint64_t textKey(std::u16string_view text) {
  if (text.empty()) return 0;
  uint64_t h = FNV_OFFSET_BASIS;
  for (char16_t c : text) {
    h ^= static_cast<uint8_t>(c);
    if (c >> 8 == 0) {  // XOR with a high byte of 0 leaves h: both steps in one multiply
      h *= FNV_PRIME * FNV_PRIME;
      continue;
    }
    h *= FNV_PRIME;
    h ^= static_cast<uint8_t>(c >> 8);
    h *= FNV_PRIME;
  }
  h *= FNV_PRIME;  // NUL low byte: XOR with 0 leaves h
  h *= FNV_PRIME;  // NUL high byte
  return h;
}

// A cheap hash of raw bytes, eight at a time, for tables of texts local to one
// reading (not a text key: texts are stored under textKey).
inline uint64_t bytesHash(const char* p, size_t n) {
  uint64_t h = 0x9E3779B97F4A7C15ULL ^ n;
  for (; n >= 8; p += 8, n -= 8) {
    uint64_t w;
    std::memcpy(&w, p, 8);
    h = (h ^ w) * 0xff51afd7ed558ccdULL;
    h ^= h >> 32;
  }
  if (n != 0) {  // the 1-7 tail bytes, read without a byte loop (n is in the seed)
    uint64_t w;
    if (n >= 4) {
      uint32_t a, b;
      std::memcpy(&a, p, 4);
      std::memcpy(&b, p + n - 4, 4);
      w = a | uint64_t{b} << 32;
    } else {
      w = uint64_t{uint8_t(p[0])} | uint64_t{uint8_t(p[n / 2])} << 8 | uint64_t{uint8_t(p[n - 1])} << 16;
    }
    h = (h ^ w) * 0xc4ceb9fe1a85ec53ULL;
    h ^= h >> 29;
  }
  return h;
}
