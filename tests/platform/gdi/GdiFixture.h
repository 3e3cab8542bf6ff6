// A memory DC on a white bitmap, with pixel read-back for drawing tests.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/gdi/Gdi.h"

class MemorySurface {
 public:
  MemorySurface(int width, int height) {
    dc = CreateCompatibleDC(nullptr);
    bitmap = CreateCompatibleBitmap(dc, width, height);
    previous = SelectObject(dc, bitmap);
    clear(0xFFFFFF);
  }
  ~MemorySurface() {
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  MemorySurface(const MemorySurface&) = delete;
  MemorySurface& operator=(const MemorySurface&) = delete;

  Surface& surface() const { return *surfaceOfDC(dc); }
  uint32_t at(int x, int y) const { return surface().at(x, y); }
  void clear(uint32_t pixel) { std::fill(surface().pixels.begin(), surface().pixels.end(), pixel); }

  // The pixels of a rows x columns area at (x, y) as text: '.' for white,
  // '#' for anything else.
  std::vector<std::string> picture(int x, int y, int columns, int rows) const {
    std::vector<std::string> out;
    for (int r = 0; r < rows; ++r) {
      std::string line;
      for (int c = 0; c < columns; ++c) line += at(x + c, y + r) == 0xFFFFFF ? '.' : '#';
      out.push_back(line);
    }
    return out;
  }

  // The bounding box (exclusive) of the pixels that are not white; empty
  // {0,0,0,0} when every pixel is white.
  RECT inked() const {
    RECT box{surface().width, surface().height, 0, 0};
    for (int y = 0; y < surface().height; ++y)
      for (int x = 0; x < surface().width; ++x)
        if (at(x, y) != 0xFFFFFF) {
          box.left = std::min<LONG>(box.left, x);
          box.top = std::min<LONG>(box.top, y);
          box.right = std::max<LONG>(box.right, x + 1);
          box.bottom = std::max<LONG>(box.bottom, y + 1);
        }
    return box.right ? box : RECT{0, 0, 0, 0};
  }

  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ previous = nullptr;
};

inline bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline std::ostream& operator<<(std::ostream& os, const RECT& r) {
  return os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}
