#include "platform/xl/XlsContainer.h"

#include <gsf/gsf.h>

#include <mutex>

#include "platform/xl/BookImpl.h"

namespace xl::detail {

namespace {

// The largest stream read: BIFF8 offsets are 32-bit.
constexpr gsf_off_t kMaxStream = gsf_off_t(1) << 32;

void quiet(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

// Initialises libgsf once per process; its complaints about damaged files go
// nowhere, since a damaged file is reported through the load's result.
void initOnce() {
  static std::once_flag once;
  std::call_once(once, [] {
    gsf_init();
    auto levels = GLogLevelFlags(G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING | G_LOG_LEVEL_MESSAGE |
                                 G_LOG_LEVEL_INFO | G_LOG_LEVEL_DEBUG);
    for (const char* domain : {"libgsf", "libgsf:msole", "libgsf:utils"})
      g_log_set_handler(domain, levels, quiet, nullptr);
  });
}

// Owns a GObject reference.
template <class T>
struct Ref {
  T* p = nullptr;
  explicit Ref(T* p) : p(p) {}
  ~Ref() {
    if (p) g_object_unref(p);
  }
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
};

std::string messageOf(GError* err, const char* fallback) {
  std::string out = fallback;
  if (err) {
    out += ": ";
    out += err->message;
    g_error_free(err);
  }
  return out;
}

}  // namespace

std::string readWorkbookStream(const std::string& path) {
  initOnce();
  GError* err = nullptr;
  Ref<GsfInput> file(gsf_input_stdio_new(path.c_str(), &err));
  if (!file.p) throw FileError(messageOf(err, "cannot open the file"));
  Ref<GsfInfile> ole(gsf_infile_msole_new(file.p, &err));
  if (!ole.p) throw FileError(messageOf(err, "not an xls file (no compound document)"));
  Ref<GsfInput> stream(nullptr);
  for (const char* name : {"Workbook", "WORKBOOK", "workbook"}) {
    stream.p = gsf_infile_child_by_name(ole.p, name);
    if (stream.p) break;
  }
  if (!stream.p) {
    Ref<GsfInput> old(gsf_infile_child_by_name(ole.p, "Book"));
    throw FileError(old.p ? "xls files older than Excel 97 are not supported"
                          : "not an xls file (no Workbook stream)");
  }
  gsf_off_t size = gsf_input_size(stream.p);
  if (size < 0 || size > kMaxStream) throw FileError("Workbook stream of a bad size");
  std::string out(size_t(size), '\0');
  size_t done = 0;
  while (done < out.size()) {
    size_t n = std::min<size_t>(out.size() - done, 1 << 20);
    if (!gsf_input_read(stream.p, n, reinterpret_cast<guint8*>(out.data() + done)))
      throw FileError("the Workbook stream is damaged");
    done += n;
  }
  return out;
}

void writeWorkbookStream(const std::string& path, const std::string& stream) {
  initOnce();
  GError* err = nullptr;
  Ref<GsfOutput> file(gsf_output_stdio_new(path.c_str(), &err));
  if (!file.p) throw FileError(messageOf(err, "cannot write the file"));
  bool ok;
  {
    Ref<GsfOutfile> ole(gsf_outfile_msole_new(file.p));
    if (!ole.p) throw FileError("cannot write the file");
    {
      Ref<GsfOutput> child(gsf_outfile_new_child(ole.p, "Workbook", FALSE));
      if (!child.p) throw FileError("cannot write the file");
      ok = gsf_output_write(child.p, stream.size(), reinterpret_cast<const guint8*>(stream.data()));
      ok = gsf_output_close(child.p) && ok;
    }
    ok = gsf_output_close(GSF_OUTPUT(ole.p)) && ok;
  }
  if (!gsf_output_is_closed(file.p)) ok = gsf_output_close(file.p) && ok;
  if (!ok) {
    const GError* e = gsf_output_error(file.p);
    throw FileError(std::string("cannot write the file") + (e ? std::string(": ") + e->message : ""));
  }
}

}  // namespace xl::detail
