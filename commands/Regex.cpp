#define PCRE2_CODE_UNIT_WIDTH 16
#include "commands/Regex.h"

#include <pcre2.h>

#include "store/NumberText.h"

namespace {

constexpr PCRE2_SIZE UNSET = PCRE2_UNSET;
constexpr uint32_t MATCH_LIMIT = 10'000'000;   // backtracking steps per search
constexpr uint32_t DEPTH_LIMIT = 100'000;      // nested backtracking frames
constexpr uint32_t HEAP_LIMIT_KB = 64 * 1024;  // interpreter frame memory
constexpr size_t JIT_STACK_START = 32 * 1024;
constexpr size_t JIT_STACK_MAX = 8 * 1024 * 1024;

PCRE2_SPTR subject(std::u16string_view text) { return reinterpret_cast<PCRE2_SPTR>(text.data()); }

// Code units of the character at `pos`: 2 for a surrogate pair, else 1.
size_t charLength(std::u16string_view text, size_t pos) {
  if (pos + 1 < text.size() && text[pos] >= 0xD800 && text[pos] <= 0xDBFF && text[pos + 1] >= 0xDC00 &&
      text[pos + 1] <= 0xDFFF)
    return 2;
  return 1;
}

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

}  // namespace

std::u16string regexErrorText(int code) {
  PCRE2_UCHAR buffer[256];
  int n = pcre2_get_error_message(code, buffer, sizeof buffer / sizeof buffer[0]);
  if (n < 0) return u"error " + int64Text(code);
  return std::u16string(reinterpret_cast<const char16_t*>(buffer), static_cast<size_t>(n));
}

// ---- CRegex ----

struct CRegex::Code {
  pcre2_code* code = nullptr;
  ~Code() { pcre2_code_free(code); }
};

namespace {

// Compiles one form of the pattern; null (with `error` and `offset` set) on failure.
pcre2_code* compileForm(std::u16string_view pattern, uint32_t options, int& error, PCRE2_SIZE& offset) {
  pcre2_compile_context* context = pcre2_compile_context_create(nullptr);
  if (!context) {
    error = PCRE2_ERROR_NOMEMORY;
    offset = 0;
    return nullptr;
  }
  pcre2_set_newline(context, PCRE2_NEWLINE_ANYCRLF);
  pcre2_set_compile_extra_options(context, PCRE2_EXTRA_ALT_BSUX);
  pcre2_code* code = pcre2_compile(subject(pattern), pattern.size(), options, &error, &offset, context);
  pcre2_compile_context_free(context);
  if (code) pcre2_jit_compile(code, PCRE2_JIT_COMPLETE);  // the interpreter serves otherwise
  return code;
}

}  // namespace

CRegex::CRegex(std::u16string_view pattern, bool ignoreCase, bool anchored) {
  uint32_t options = PCRE2_UTF | PCRE2_ALT_BSUX | PCRE2_ALLOW_EMPTY_CLASS | PCRE2_DOLLAR_ENDONLY;
  if (ignoreCase) options |= PCRE2_CASELESS;
  if (anchored) options |= PCRE2_ANCHORED | PCRE2_ENDANCHORED;
  int error = 0;
  PCRE2_SIZE offset = 0;
  pcre2_code* strict = compileForm(pattern, options, error, offset);
  if (!strict) {
    mError = u"正则表达式错误（第 " + int64Text(static_cast<int64_t>(offset)) + u" 个字符处）：" +
             regexErrorText(error);
    return;
  }
  pcre2_code* loose = compileForm(pattern, options | PCRE2_MATCH_INVALID_UTF, error, offset);
  if (!loose) {
    pcre2_code_free(strict);
    mError = u"正则表达式错误：" + regexErrorText(error);
    return;
  }
  pcre2_pattern_info(strict, PCRE2_INFO_CAPTURECOUNT, &mCaptures);
  mCode = std::make_unique<Code>();
  mCode->code = strict;
  mLoose = std::make_unique<Code>();
  mLoose->code = loose;
}

CRegex::~CRegex() = default;

// ---- CRegexFormat ----

CRegexFormat::CRegexFormat(std::u16string_view r, uint32_t captureCount) {
  std::u16string literal;
  auto flush = [&] {
    if (!literal.empty()) mPieces.push_back({LITERAL, 0, std::move(literal)});
    literal.clear();
  };
  auto piece = [&](Kind kind, uint32_t group) {
    flush();
    mPieces.push_back({kind, group, {}});
  };
  for (size_t i = 0; i < r.size(); ++i) {
    if (r[i] != u'$' || i + 1 >= r.size()) {
      literal += r[i];
      continue;
    }
    char16_t c = r[i + 1];
    if (c == u'$') {
      literal += u'$';
      ++i;
    } else if (c == u'&') {
      piece(GROUP, 0);
      ++i;
    } else if (c == u'`') {
      piece(PREFIX, 0);
      ++i;
    } else if (c == u'\'') {
      piece(SUFFIX, 0);
      ++i;
    } else if (isDigit(c)) {
      // Two digits name a group when that group exists, else one digit does.
      uint32_t one = c - u'0';
      if (i + 2 < r.size() && isDigit(r[i + 2])) {
        uint32_t two = one * 10 + (r[i + 2] - u'0');
        if (two >= 1 && two <= captureCount) {
          piece(GROUP, two);
          i += 2;
          continue;
        }
      }
      if (one >= 1 && one <= captureCount) {
        piece(GROUP, one);
        ++i;
      } else {
        literal += u'$';
      }
    } else {
      literal += u'$';
    }
  }
  flush();
}

void CRegexFormat::append(std::u16string& out, std::u16string_view text, const size_t* ov, uint32_t pairs) const {
  for (const Piece& p : mPieces) {
    switch (p.kind) {
      case LITERAL: out += p.text; break;
      case GROUP:
        if (p.group < pairs && ov[2 * p.group] != UNSET)
          out.append(text.substr(ov[2 * p.group], ov[2 * p.group + 1] - ov[2 * p.group]));
        break;
      case PREFIX: out.append(text.substr(0, ov[0])); break;
      case SUFFIX: out.append(text.substr(ov[1])); break;
    }
  }
}

// ---- CRegexMatcher ----

struct CRegexMatcher::State {
  pcre2_match_data* data = nullptr;
  uint32_t pairs = 0;  // capacity of `data`
  pcre2_match_context* context = nullptr;
  pcre2_jit_stack* stack = nullptr;

  ~State() {
    pcre2_match_data_free(data);
    pcre2_jit_stack_free(stack);
    pcre2_match_context_free(context);
  }
};

CRegexMatcher::CRegexMatcher() : mState(std::make_unique<State>()) {
  State& s = *mState;
  s.context = pcre2_match_context_create(nullptr);
  if (s.context) {
    pcre2_set_match_limit(s.context, MATCH_LIMIT);
    pcre2_set_depth_limit(s.context, DEPTH_LIMIT);
    pcre2_set_heap_limit(s.context, HEAP_LIMIT_KB);
    s.stack = pcre2_jit_stack_create(JIT_STACK_START, JIT_STACK_MAX, nullptr);
    if (s.stack) pcre2_jit_stack_assign(s.context, nullptr, s.stack);
  }
}

CRegexMatcher::~CRegexMatcher() = default;

bool CRegexMatcher::validUtf16(std::u16string_view text) {
  const size_t n = text.size();
  for (size_t i = 0; i < n; ++i) {
    char16_t c = text[i];
    if (c < 0xD800 || c > 0xDFFF) continue;
    if (c >= 0xDC00 || i + 1 >= n || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) return false;
    ++i;
  }
  return true;
}

// One engine call; the engine's result code (pairs matched, or a negative error).
int CRegexMatcher::run(const CRegex& re, std::u16string_view text, bool valid, size_t start, uint32_t options) {
  State& s = *mState;
  const uint32_t want = re.captureCount() + 1;
  if (!s.data || s.pairs < want) {
    pcre2_match_data_free(s.data);
    s.data = pcre2_match_data_create(want, nullptr);
    s.pairs = s.data ? want : 0;
    if (!s.data) return PCRE2_ERROR_NOMEMORY;
  }
  if (!s.context) return PCRE2_ERROR_NOMEMORY;
  // The UTF check is made once per text (validUtf16); texts that fail it go to the form
  // that tolerates lone surrogates.
  if (valid) options |= PCRE2_NO_UTF_CHECK;
  return pcre2_match(re.code(valid)->code, subject(text), text.size(), start, options, s.data, s.context);
}

RegexStatus CRegexMatcher::search(const CRegex& re, std::u16string_view text) {
  int rc = run(re, text, validUtf16(text), 0, 0);
  if (rc == PCRE2_ERROR_NOMATCH) return RegexStatus::NoMatch;
  return rc < 0 ? RegexStatus::Limit : RegexStatus::Match;
}

RegexStatus CRegexMatcher::replaceFirst(const CRegex& re, const CRegexFormat& format, std::u16string_view text,
                                        std::u16string& out) {
  out.clear();
  int rc = run(re, text, validUtf16(text), 0, 0);
  if (rc == PCRE2_ERROR_NOMATCH) {
    out.assign(text);
    return RegexStatus::NoMatch;
  }
  if (rc < 0) return RegexStatus::Limit;
  const size_t* ov = pcre2_get_ovector_pointer(mState->data);
  out.append(text.substr(0, ov[0]));
  format.append(out, text, ov, static_cast<uint32_t>(rc));
  out.append(text.substr(ov[1]));
  return RegexStatus::Match;
}

RegexStatus CRegexMatcher::replaceAll(const CRegex& re, const CRegexFormat& format, std::u16string_view text,
                                      std::u16string& out) {
  out.clear();
  const bool valid = validUtf16(text);
  size_t pos = 0;      // where the next search starts
  size_t copied = 0;   // text before this offset is already in `out`
  uint32_t retry = 0;  // options of a retry after an empty match
  bool any = false;
  while (pos <= text.size()) {
    int rc = run(re, text, valid, pos, retry);
    if (rc == PCRE2_ERROR_NOMATCH) {
      if (retry == 0 || pos >= text.size()) break;
      pos += charLength(text, pos);  // no non-empty match here: move one character on
      retry = 0;
      continue;
    }
    if (rc < 0) return RegexStatus::Limit;
    const size_t* ov = pcre2_get_ovector_pointer(mState->data);
    out.append(text.substr(copied, ov[0] - copied));
    format.append(out, text, ov, static_cast<uint32_t>(rc));
    copied = ov[1];
    any = true;
    retry = ov[0] == ov[1] ? (PCRE2_NOTEMPTY_ATSTART | PCRE2_ANCHORED) : 0;
    pos = ov[1];
  }
  if (!any) {
    out.assign(text);
    return RegexStatus::NoMatch;
  }
  out.append(text.substr(copied));
  return RegexStatus::Match;
}
