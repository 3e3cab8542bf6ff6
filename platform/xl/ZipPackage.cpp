#include "platform/xl/ZipPackage.h"

#include <zip.h>

#include <memory>
#include <vector>

#include "platform/xl/BookImpl.h"

namespace xl::detail {

ZipReader::ZipReader(const std::string& bytes) {
  zip_error_t err;
  zip_error_init(&err);
  zip_source_t* src = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &err);
  if (src) {
    mZa = zip_open_from_source(src, ZIP_RDONLY, &err);
    if (!mZa) zip_source_free(src);
  }
  zip_error_fini(&err);
  if (!mZa) throw FileError("not an xlsx file (no zip package)");
}

ZipReader::~ZipReader() {
  if (mZa) zip_discard(mZa);
}

int64_t ZipReader::indexOf(std::string_view name) const {
  std::string n(name);
  return zip_name_locate(mZa, n.c_str(), ZIP_FL_NOCASE);
}

bool ZipReader::has(std::string_view name) const { return indexOf(name) >= 0; }

void ZipReader::stream(std::string_view name, const std::function<void(const char*, size_t)>& sink,
                       uint64_t limit) const {
  int64_t index = indexOf(name);
  std::string what = "part " + std::string(name);
  if (index < 0) throw FileError(what + " missing");
  zip_stat_t st;
  if (zip_stat_index(mZa, uint64_t(index), 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE))
    throw FileError(what + " damaged");
  if (st.size > limit || st.size > kMaxPackageInflated - mInflated) throw FileError(what + " too large");
  std::unique_ptr<zip_file_t, int (*)(zip_file_t*)> f(zip_fopen_index(mZa, uint64_t(index), 0), zip_fclose);
  if (!f) throw FileError(what + " cannot be read (damaged or encrypted)");
  std::vector<char> buf(1 << 20);
  uint64_t total = 0;
  for (;;) {
    zip_int64_t n = zip_fread(f.get(), buf.data(), buf.size());
    if (n < 0) throw FileError(what + " damaged");
    if (n == 0) break;
    total += uint64_t(n);
    if (total > st.size) throw FileError(what + " damaged");  // longer than it says
    mInflated += uint64_t(n);
    sink(buf.data(), size_t(n));
  }
  if (total != st.size) throw FileError(what + " damaged");
}

std::string ZipReader::read(std::string_view name, uint64_t limit) const {
  std::string out;
  stream(
      name, [&out](const char* p, size_t n) { out.append(p, n); }, limit);
  return out;
}

std::string resolvePartName(std::string_view sourcePart, std::string_view target) {
  std::vector<std::string> parts;
  auto push = [&parts](std::string_view path) {
    size_t start = 0;
    while (start <= path.size()) {
      size_t end = path.find('/', start);
      if (end == std::string_view::npos) end = path.size();
      std::string_view seg = path.substr(start, end - start);
      if (seg == "..") {
        if (!parts.empty()) parts.pop_back();
      } else if (!seg.empty() && seg != ".") {
        parts.emplace_back(seg);
      }
      start = end + 1;
    }
  };
  if (target.empty() || target.front() != '/') {
    size_t slash = sourcePart.rfind('/');
    if (slash != std::string_view::npos) push(sourcePart.substr(0, slash));
  }
  push(target);
  std::string out;
  for (const auto& p : parts) {
    if (!out.empty()) out += '/';
    out += p;
  }
  return out;
}

std::string relsPartOf(std::string_view part) {
  size_t slash = part.rfind('/');
  std::string folder = slash == std::string_view::npos ? "" : std::string(part.substr(0, slash + 1));
  std::string file(slash == std::string_view::npos ? part : part.substr(slash + 1));
  return folder + "_rels/" + file + ".rels";
}

}  // namespace xl::detail
