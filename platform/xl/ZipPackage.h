// Reading the parts of an xlsx package (a zip file) held in memory.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

struct zip;

namespace xl::detail {

// Guards against zip bombs: the largest part streamed, the largest part read
// whole (those are parsed into a tree), and the most one package may inflate.
constexpr uint64_t kMaxPartSize = uint64_t(2) << 30;
constexpr uint64_t kMaxWholePartSize = uint64_t(256) << 20;
constexpr uint64_t kMaxPackageInflated = uint64_t(4) << 30;

class ZipReader {
 public:
  // Opens the package in `bytes`, which must outlive the reader. Throws
  // FileError when it is not a zip file.
  explicit ZipReader(const std::string& bytes);
  ~ZipReader();
  ZipReader(const ZipReader&) = delete;
  ZipReader& operator=(const ZipReader&) = delete;

  // Part names compare without regard to case, as the package format says.
  bool has(std::string_view name) const;
  // The whole part; throws FileError when absent, damaged or larger than
  // `limit`.
  std::string read(std::string_view name, uint64_t limit = kMaxWholePartSize) const;
  // Hands the part's bytes to `sink` in pieces; the same failures as read().
  void stream(std::string_view name, const std::function<void(const char*, size_t)>& sink,
              uint64_t limit = kMaxPartSize) const;

  zip* archive() const { return mZa; }
  int64_t indexOf(std::string_view name) const;  // -1 when absent

 private:
  zip* mZa = nullptr;
  mutable uint64_t mInflated = 0;  // bytes all reads so far have inflated
};

// Resolves a relationship target against the folder of the part that holds
// the relationship ("xl/workbook.xml" + "worksheets/sheet1.xml" gives
// "xl/worksheets/sheet1.xml"; a target starting with "/" is absolute).
std::string resolvePartName(std::string_view sourcePart, std::string_view target);
// "xl/worksheets/sheet1.xml" gives "xl/worksheets/_rels/sheet1.xml.rels".
std::string relsPartOf(std::string_view part);

}  // namespace xl::detail
