#include "script/ScriptFile.h"

#include <cstdio>

#include "platform/AsciiCase.h"
#include "script/ScriptDocument.h"
#include "script/ScriptRun.h"
#include "script/ScriptRuns.h"
#include "store/FilePath.h"
#include "store/SafeSave.h"

bool rewriteScriptFile(const std::u16string& path, const std::u16string& text) {
  SafeSave save(path);
  FILE* f = save.file();
  if (!f) return false;
  std::string bytes;
  bytes.reserve(text.size() * 2);
  for (char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return ok && save.commit();
}

bool runScriptFile(ScriptDocument& document, const std::u16string& path) {
  ScriptRunGuard guard(document);
  if (!guard.owns()) return false;
  std::u16string text = readFileAsWide(path);
  if (!text.empty() && text[0] == 0xFEFF) {
    text.erase(0, 1);
    rewriteScriptFile(path, text);  // a file that cannot be rewritten still runs
  }
  const std::u16string ext = toLowerWide(getFileExt(path));
  beginScriptOutput(document);
  if (ext == u".exp") runExprtkCell(document, 0, 0, text);
  else if (ext == u".c") runTccScript(document, text);
  else if (ext == u".py") runPythonScript(document, text);
  endScriptOutput(document);
  document.repaint();
  return true;
}
