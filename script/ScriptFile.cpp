#include "script/ScriptFile.h"

#include <cstdio>

#include "commands/GridOps.h"
#include "controls/TextEditor.h"
#include "platform/AsciiCase.h"
#include "script/OutputWindow.h"
#include "script/ScriptDocument.h"
#include "script/ScriptRun.h"
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
  CGridOps& ops = document.scriptOps();
  ScriptRunGuard guard(ops);
  if (!guard.owns()) return false;
  std::u16string text = readFileAsWide(path);
  if (!text.empty() && text[0] == 0xFEFF) {
    text.erase(0, 1);
    rewriteScriptFile(path, text);  // a file that cannot be rewritten still runs
  }
  const std::u16string ext = toLowerWide(getFileExt(path));
  if (ops.mOutput) clearOutputEditor(*ops.mOutput);
  ops.mExprtkHost.mEnded = false;
  if (ext == u".exp")
    ops.runExprtkCell(0, 0, text);
  else if (ext == u".c")
    ops.runTccScript(text);
  else if (ext == u".py")
    ops.runPythonScript(text);
  if (ops.mOutput && !ops.mOutput->shownText.empty() && ops.mHooks.showOutput) ops.mHooks.showOutput();
  document.repaint();
  return true;
}
