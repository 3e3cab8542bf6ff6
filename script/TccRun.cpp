#include "script/TccRun.h"

#include <libtcc.h>

#include "script/ScriptEngines.h"
#include "script/TccSymbols.h"

TccHost* gTccHost = nullptr;

void tccErrorHandler(void* host, const char* message) {
  auto* h = static_cast<TccHost*>(host);
  h->mErrors += message ? message : "";
  h->mErrors += "\n";
}

bool compileTcc(TccHost& host, TCCState* state, const std::string& script) {
  // The tcc package's folders, found when the program was built.
  tcc_add_include_path(state, MORVEL_TCC_INCLUDE_DIR);
  tcc_add_library_path(state, MORVEL_TCC_LIB_DIR);
  tcc_set_output_type(state, TCC_OUTPUT_MEMORY);
  tcc_set_error_func(state, &host, tccErrorHandler);
  if (tcc_compile_string(state, script.c_str()) == -1) return false;
  size_t count = 0;
  const TccSymbol* symbols = tccSymbols(count);
  for (size_t i = 0; i < count; ++i) tcc_add_symbol(state, symbols[i].name, symbols[i].address);
  if (tcc_relocate(state, TCC_RELOCATE_AUTO) < 0) {
    host.mErrors += "tcc_relocate error.\n";
    return false;
  }
  return true;
}

bool runTcc(TccHost& host, const std::string& script) {
  gTccHost = &host;
  TCCState* state = tcc_new();
  if (!state) {
    host.mErrors += "tcc_new error.\n";
    return true;
  }
  // libtcc looks for its runtime (libtcc1.a) in its own folder, read when the output
  // type is set.
  tcc_set_lib_path(state, MORVEL_TCC_LIB_DIR);
  bool result = true;
  if (compileTcc(host, state, script)) {
    using WinMainFn = int (*)(void*, void*, char*, int);
    using MainFn = int (*)();
    if (void* winMain = tcc_get_symbol(state, "WinMain")) {
      reinterpret_cast<WinMainFn>(winMain)(nullptr, nullptr, nullptr, 1);
    } else if (void* main = tcc_get_symbol(state, "main")) {
      reinterpret_cast<MainFn>(main)();
    } else {
      host.mErrors += "tcc can not find 'main' or 'WinMain' function.\n";
      result = false;
    }
  }
  tcc_delete(state);
  return result;
}

void installTccEngine() {
  scriptEngines().runTcc = [](TccHost& host, const std::string& text) { runTcc(host, text); };
}
