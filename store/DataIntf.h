// The cell interface through which scripts, commands and data tools reach a sheet.
// Rows and columns are signed 32-bit; positions outside the sheet read as empty or 0
// and ignore writes. The slot order of the six operations is fixed.
#pragma once
#include <cstdint>
#include <string>

class DataIntf {
 public:
  virtual std::u16string getText(int32_t row, int32_t col) const = 0;
  virtual int64_t getInt64(int32_t row, int32_t col) const = 0;
  virtual double getDouble(int32_t row, int32_t col) const = 0;
  virtual void setDouble(int32_t row, int32_t col, double value) = 0;
  virtual void setInt64(int32_t row, int32_t col, int64_t value) = 0;
  virtual void setText(int32_t row, int32_t col, const std::u16string& text) = 0;

 protected:
  ~DataIntf() = default;  // not virtual: a sheet is never deleted through this interface
};
