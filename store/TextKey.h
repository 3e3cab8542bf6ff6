// Text keys: FNV-1a 64 over a text's UTF-16LE bytes and its 2-byte NUL terminator.
#pragma once
#include <cstddef>
#include <cstdint>
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
    h *= FNV_PRIME;
    h ^= static_cast<uint8_t>(c >> 8);
    h *= FNV_PRIME;
  }
  h *= FNV_PRIME;  // NUL low byte: XOR with 0 leaves h
  h *= FNV_PRIME;  // NUL high byte
  return h;
}
