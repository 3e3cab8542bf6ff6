#include "platform/png/Png.h"

#include <png.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

}  // namespace

// libpng reports errors by longjmp; nothing with a destructor lives between
// setjmp and the calls that may jump except what is made before setjmp.
bool writePng(const Surface& s, const std::string& path) {
  if (s.width <= 0 || s.height <= 0 || s.pixels.size() != static_cast<size_t>(s.width) * s.height) return false;
  File f(std::fopen(path.c_str(), "wb"));
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  std::vector<png_byte> row(static_cast<size_t>(s.width) * 3);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, info ? &info : nullptr);
    return false;
  }
  png_init_io(png, f.get());
  png_set_IHDR(png, info, s.width, s.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < s.height; ++y) {
    const uint32_t* p = s.row(y);
    for (int x = 0; x < s.width; ++x) {
      row[3 * x] = static_cast<png_byte>(p[x] >> 16);
      row[3 * x + 1] = static_cast<png_byte>(p[x] >> 8);
      row[3 * x + 2] = static_cast<png_byte>(p[x]);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fflush(f.get()) == 0;
}

bool readPng(const std::string& path, Surface* out) {
  if (!out) return false;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_BGRA;  // memory order B, G, R, A = 0xAARRGGBB little-endian
  if (image.width == 0 || image.height == 0 || image.width > 32768 || image.height > 32768) {
    png_image_free(&image);
    return false;
  }
  std::vector<uint32_t> pixels(static_cast<size_t>(image.width) * image.height);
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
    png_image_free(&image);
    return false;
  }
  for (uint32_t& p : pixels) p &= 0xFFFFFF;
  out->width = static_cast<int>(image.width);
  out->height = static_cast<int>(image.height);
  out->pixels.swap(pixels);
  return true;
}
