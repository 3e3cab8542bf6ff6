// The markup of a link control's text: plain text with links written as
// <a href="address" id="name">shown text</a> (attributes optional, quotes
// " or '). Anything else that looks like a tag is kept as text.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace platform::controls {

struct LinkRun {
  std::u16string text;
  int link = -1;  // index into links, -1 for plain text
};

struct Link {
  std::u16string url;
  std::u16string id;
};

struct LinkMarkup {
  std::vector<LinkRun> runs;
  std::vector<Link> links;
  std::u16string plain() const;  // the shown text
};

LinkMarkup parseLinkMarkup(std::u16string_view text);

}  // namespace platform::controls
