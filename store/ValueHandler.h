// Shows the 16 bytes stored for a kind-3 cell. The sheet keeps a pointer to one; this
// program never installs one, so kind-3 cells always take the sheet's fallbacks.
#pragma once
#include <cstdint>
#include <string>

class ValueHandler {
 public:
  virtual std::u16string text(const void* bytes16, const std::u16string& name) = 0;
  virtual int64_t int64Value(const void* bytes16, const std::u16string& name) = 0;
  virtual double doubleValue(const void* bytes16, const std::u16string& name) = 0;
  virtual double number(const void* bytes16, const std::u16string& name) = 0;

 protected:
  ~ValueHandler() = default;
};
