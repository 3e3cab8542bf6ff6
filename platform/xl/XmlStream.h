// A streaming XML reader over expat for the large parts of a package
// (worksheets, shared texts): elements arrive by local name, their prefix
// dropped (the parts use one namespace per element name, so the local name
// is enough), and the document is fed in pieces.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace xl::detail {

class XmlStream {
 public:
  explicit XmlStream(std::string partName);
  virtual ~XmlStream();
  XmlStream(const XmlStream&) = delete;
  XmlStream& operator=(const XmlStream&) = delete;

  // Parses the next piece; throws FileError for XML that is not well formed
  // or when a handler called fail().
  void feed(const char* data, size_t n);
  // Ends the document; throws like feed().
  void finish();

 protected:
  // attrs: name, value pairs ending with a null name; names are local.
  virtual void start(std::string_view name, const char** attrs) = 0;
  virtual void end(std::string_view name) = 0;
  virtual void text(const char* data, size_t n) = 0;
  // Stops the parse; feed() then throws FileError with this reason.
  void fail(std::string reason);

  // The byte range of the tag being handled: its offset in the document and
  // its length (0 for the end of an empty-element tag).
  uint64_t tagOffset() const;
  size_t tagLength() const;

  static std::string_view localName(const char* name);
  static std::string_view prefixOf(const char* name);
  // The namespace prefix of the element start() is handling ("" for none).
  std::string_view currentPrefix() const { return prefixOf(mCurrentName); }
  // The value of the attribute with that local name, or null.
  static const char* attr(const char** attrs, std::string_view name);

 private:
  static void onStart(void* self, const char* name, const char** attrs);
  static void onEnd(void* self, const char* name);
  static void onText(void* self, const char* data, int n);
  void check(int status);

  void* mParser;
  const char* mCurrentName = "";  // valid during start() only
  std::string mPart;
  std::string mFailure;  // set by fail()
};

}  // namespace xl::detail
