#include "platform/controls/LinkMarkup.h"

#include "platform/controls/ControlBase.h"

namespace platform::controls {

namespace {

bool isSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

// Reads the attributes of an <a ...> tag body ("href=... id=...").
bool readAttributes(std::u16string_view body, Link* link) {
  size_t i = 0;
  while (i < body.size()) {
    while (i < body.size() && isSpace(body[i])) ++i;
    if (i >= body.size()) break;
    size_t nameStart = i;
    while (i < body.size() && body[i] != u'=' && !isSpace(body[i])) ++i;
    std::u16string_view name = body.substr(nameStart, i - nameStart);
    while (i < body.size() && isSpace(body[i])) ++i;
    if (i >= body.size() || body[i] != u'=') return false;
    ++i;
    while (i < body.size() && isSpace(body[i])) ++i;
    if (i >= body.size()) return false;
    std::u16string value;
    if (body[i] == u'"' || body[i] == u'\'') {
      char16_t q = body[i++];
      size_t end = body.find(q, i);
      if (end == body.npos) return false;
      value = body.substr(i, end - i);
      i = end + 1;
    } else {
      size_t start = i;
      while (i < body.size() && !isSpace(body[i])) ++i;
      value = body.substr(start, i - start);
    }
    if (equalNoCase(name, u"href")) link->url = value;
    else if (equalNoCase(name, u"id")) link->id = value;
  }
  return true;
}

void addText(LinkMarkup& m, std::u16string_view s, int link) {
  if (s.empty()) return;
  if (!m.runs.empty() && m.runs.back().link == link && link < 0) m.runs.back().text += s;
  else m.runs.push_back(LinkRun{std::u16string(s), link});
}

}  // namespace

std::u16string LinkMarkup::plain() const {
  std::u16string s;
  for (const LinkRun& r : runs) s += r.text;
  return s;
}

LinkMarkup parseLinkMarkup(std::u16string_view text) {
  LinkMarkup m;
  size_t i = 0;
  while (i < text.size()) {
    size_t open = text.find(u'<', i);
    if (open == text.npos) break;
    size_t close = text.find(u'>', open);
    bool isA = close != text.npos && close > open + 1 && (text[open + 1] == u'a' || text[open + 1] == u'A') &&
               (close == open + 2 || isSpace(text[open + 2]));
    Link link;
    size_t end = isA ? text.find(u"</", close) : text.npos;
    bool closed = end != text.npos && equalNoCase(text.substr(end, 4), u"</a>");
    if (!isA || !closed || !readAttributes(text.substr(open + 2, close - open - 2), &link)) {
      addText(m, text.substr(i, open + 1 - i), -1);
      i = open + 1;
      continue;
    }
    addText(m, text.substr(i, open - i), -1);
    m.links.push_back(link);
    std::u16string_view shown = text.substr(close + 1, end - close - 1);
    if (shown.empty()) shown = u" ";
    m.runs.push_back(LinkRun{std::u16string(shown), static_cast<int>(m.links.size()) - 1});
    i = end + 4;
  }
  addText(m, text.substr(std::min(i, text.size())), -1);
  return m;
}

}  // namespace platform::controls
