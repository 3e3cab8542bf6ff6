#include "platform/xl/XmlStream.h"

#include <expat.h>

#include <climits>
#include <cstring>
#include <new>

#include "platform/xl/BookImpl.h"

namespace xl::detail {

XmlStream::XmlStream(std::string partName) : mPart("part " + std::move(partName)) {
  // Without namespace processing: expat would otherwise build and measure
  // "uri|name" for every element, a third of the parse. Names keep their
  // prefixes, which localName() drops.
  XML_Parser p = XML_ParserCreate(nullptr);
  if (!p) throw std::bad_alloc();
  XML_SetUserData(p, this);
  XML_SetElementHandler(p, &XmlStream::onStart, &XmlStream::onEnd);
  XML_SetCharacterDataHandler(p, &XmlStream::onText);
  mParser = p;
}

XmlStream::~XmlStream() { XML_ParserFree(static_cast<XML_Parser>(mParser)); }

// The handlers run inside expat, a C library: nothing may be thrown through
// it, so any exception becomes a failure that feed() reports afterwards.
void XmlStream::onStart(void* self, const char* name, const char** attrs) {
  auto* s = static_cast<XmlStream*>(self);
  try {
    s->mCurrentName = name;
    s->start(localName(name), attrs);
  } catch (const std::exception& e) {
    s->fail(e.what());
  }
}

void XmlStream::onEnd(void* self, const char* name) {
  auto* s = static_cast<XmlStream*>(self);
  try {
    s->end(localName(name));
  } catch (const std::exception& e) {
    s->fail(e.what());
  }
}

void XmlStream::onText(void* self, const char* data, int n) {
  auto* s = static_cast<XmlStream*>(self);
  try {
    s->text(data, size_t(n));
  } catch (const std::exception& e) {
    s->fail(e.what());
  }
}

void XmlStream::fail(std::string reason) {
  if (mFailure.empty()) mFailure = reason.empty() ? "bad content" : std::move(reason);
  XML_StopParser(static_cast<XML_Parser>(mParser), XML_FALSE);
}

void XmlStream::check(int status) {
  if (!mFailure.empty()) throw FileError(mPart + ": " + mFailure);
  if (status == XML_STATUS_ERROR) {
    auto p = static_cast<XML_Parser>(mParser);
    throw FileError(mPart + ": " + XML_ErrorString(XML_GetErrorCode(p)) + " at line " +
                    std::to_string(XML_GetCurrentLineNumber(p)));
  }
}

void XmlStream::feed(const char* data, size_t n) {
  auto p = static_cast<XML_Parser>(mParser);
  while (n > 0) {
    int piece = n > size_t(INT_MAX / 2) ? INT_MAX / 2 : int(n);
    check(XML_Parse(p, data, piece, XML_FALSE));
    data += piece;
    n -= size_t(piece);
  }
}

void XmlStream::finish() { check(XML_Parse(static_cast<XML_Parser>(mParser), "", 0, XML_TRUE)); }

uint64_t XmlStream::tagOffset() const {
  return uint64_t(XML_GetCurrentByteIndex(static_cast<XML_Parser>(mParser)));
}

size_t XmlStream::tagLength() const { return size_t(XML_GetCurrentByteCount(static_cast<XML_Parser>(mParser))); }

// Names come as "local" or "prefix:local".
std::string_view XmlStream::localName(const char* name) {
  const char* colon = std::strchr(name, ':');
  return colon ? std::string_view(colon + 1) : std::string_view(name);
}

std::string_view XmlStream::prefixOf(const char* name) {
  const char* colon = std::strchr(name, ':');
  return colon ? std::string_view(name, size_t(colon - name)) : std::string_view();
}

const char* XmlStream::attr(const char** attrs, std::string_view name) {
  for (; *attrs; attrs += 2)
    if (localName(attrs[0]) == name) return attrs[1];
  return nullptr;
}

}  // namespace xl::detail
