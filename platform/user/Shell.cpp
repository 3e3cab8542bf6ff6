// Command lines, path tests and launching through the desktop.
#include "platform/user/Shell.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <vector>

#include "platform/AsciiCase.h"
#include "platform/CodePage.h"
#include "platform/FileIo.h"
#include "platform/user/Blocking.h"
#include "platform/user/Kernel.h"

namespace {

bool isBlank(char16_t c) { return c == u' ' || c == u'\t'; }

std::u16string& commandLineOverride() {
  static auto* s = new std::u16string;
  return *s;
}

std::u16string programPath() {
  char16_t buf[4096];
  DWORD n = GetModuleFileNameW(nullptr, buf, 4096);
  return std::u16string(buf, n);
}

// One argument quoted so that the splitting rules give it back.
std::u16string quoteArgument(std::u16string_view arg) {
  if (!arg.empty() && arg.find_first_of(u" \t\"") == arg.npos) return std::u16string(arg);
  std::u16string out = u"\"";
  size_t backslashes = 0;
  for (char16_t c : arg) {
    if (c == u'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == u'"' ? 2 * backslashes + 1 : backslashes, u'\\');
    backslashes = 0;
    out += c;
  }
  out.append(2 * backslashes, u'\\');
  return out + u"\"";
}

std::u16string realCommandLine() {
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::string> args;
  for (size_t start = 0; start < raw.size();) {
    size_t end = raw.find('\0', start);
    if (end == raw.npos) end = raw.size();
    args.push_back(raw.substr(start, end - start));
    start = end + 1;
  }
  std::u16string program = programPath();
  std::u16string line = program.find_first_of(u" \t") == program.npos ? program : u"\"" + program + u"\"";
  for (size_t i = 1; i < args.size(); ++i) line += u" " + quoteArgument(utf8ToWide(args[i]));
  return line;
}

std::vector<std::u16string> splitCommandLine(const char16_t* s) {
  std::vector<std::u16string> args;
  std::u16string first;
  if (*s == u'"') {
    for (++s; *s && *s != u'"'; ++s) first += *s;
    if (*s) ++s;
  } else {
    for (; *s && !isBlank(*s); ++s) first += *s;
  }
  args.push_back(first);
  while (isBlank(*s)) ++s;
  std::u16string cur;
  bool inArg = false;
  int quotes = 0;  // 1 while inside quotes; 2 just after a closing quote
  size_t backslashes = 0;
  while (*s) {
    if (isBlank(*s) && quotes == 0) {
      args.push_back(cur);
      cur.clear();
      inArg = false;
      backslashes = 0;
      while (isBlank(*s)) ++s;
      continue;
    }
    inArg = true;
    if (*s == u'\\') {
      cur += u'\\';
      ++backslashes;
      ++s;
    } else if (*s == u'"') {
      if (backslashes % 2 == 0) {
        cur.resize(cur.size() - backslashes / 2);
        ++quotes;
      } else {
        cur.resize(cur.size() - backslashes / 2 - 1);
        cur += u'"';
      }
      ++s;
      backslashes = 0;
      for (; *s == u'"'; ++s)
        if (++quotes == 3) {
          cur += u'"';
          quotes = 0;
        }
      if (quotes == 2) quotes = 0;
    } else {
      cur += *s++;
      backslashes = 0;
    }
  }
  if (inArg) args.push_back(cur);
  return args;
}

// Starts a program without waiting for it (it is not our child for long:
// the intermediate process exits at once and is reaped here).
bool spawnDetached(const std::vector<std::string>& argv) {
  std::vector<char*> ptrs;
  for (const std::string& a : argv) ptrs.push_back(const_cast<char*>(a.c_str()));
  ptrs.push_back(nullptr);
  pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    setsid();
    if (fork() == 0) {
      execvp(ptrs[0], ptrs.data());
      _exit(127);
    }
    _exit(0);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return true;
}

// The first of `names` that PATH holds as an executable file; empty when none.
std::string firstOnPath(std::initializer_list<const char*> names) {
  const char* path = std::getenv("PATH");
  const std::string folders = path ? path : "";
  for (const char* name : names)
    for (size_t start = 0; start <= folders.size();) {
      size_t end = folders.find(':', start);
      if (end == std::string::npos) end = folders.size();
      const std::string folder = end > start ? folders.substr(start, end - start) : ".";
      const std::string candidate = folder + "/" + name;
      struct stat st {};
      if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(candidate.c_str(), X_OK) == 0)
        return candidate;
      start = end + 1;
    }
  return {};
}

std::u16string textOr(LPCWSTR s) { return s ? std::u16string(s) : std::u16string(); }

bool isCmdExe(std::string_view cmd) {
  while (!cmd.empty() && cmd.back() == ' ') cmd.remove_suffix(1);
  size_t cut = cmd.find_last_of("\\/");
  const std::string name = toLowerAscii(std::string(cmd.substr(cut == cmd.npos ? 0 : cut + 1)));
  return name == "cmd.exe" || name == "cmd";
}

}  // namespace

HLOCAL LocalAlloc(UINT flags, SIZE_T bytes) {
  void* p = (flags & LMEM_ZEROINIT) ? std::calloc(1, bytes ? bytes : 1) : std::malloc(bytes ? bytes : 1);
  return p;
}

HLOCAL LocalFree(HLOCAL block) {
  std::free(block);
  return nullptr;
}

LPWSTR GetCommandLineW() {
  static auto* real = new std::u16string(realCommandLine());
  std::u16string& o = commandLineOverride();
  return o.empty() ? real->data() : o.data();
}

LPWSTR* CommandLineToArgvW(LPCWSTR commandLine, int* count) {
  if (!count) return nullptr;
  *count = 0;
  std::vector<std::u16string> args;
  if (!commandLine || !*commandLine) args.push_back(programPath());
  else args = splitCommandLine(commandLine);
  size_t units = 0;
  for (const auto& a : args) units += a.size() + 1;
  size_t table = (args.size() + 1) * sizeof(LPWSTR);
  auto* block = static_cast<char*>(LocalAlloc(LMEM_FIXED, table + units * sizeof(char16_t)));
  if (!block) return nullptr;
  auto** argv = reinterpret_cast<LPWSTR*>(block);
  auto* text = reinterpret_cast<char16_t*>(block + table);
  for (size_t i = 0; i < args.size(); ++i) {
    argv[i] = text;
    std::memcpy(text, args[i].data(), args[i].size() * sizeof(char16_t));
    text[args[i].size()] = 0;
    text += args[i].size() + 1;
  }
  argv[args.size()] = nullptr;
  *count = static_cast<int>(args.size());
  return argv;
}

BOOL PathFileExistsW(LPCWSTR path) {
  return path && *path && (fileExists(path) || isDirectory(path)) ? TRUE : FALSE;
}

BOOL PathIsDirectoryW(LPCWSTR path) { return path && *path && isDirectory(path) ? 0x10 : FALSE; }

HINSTANCE ShellExecuteW(HWND hwnd, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory, INT show) {
  auto result = [](LONG_PTR v) { return reinterpret_cast<HINSTANCE>(v); };
  if (platform::blockingHookInstalled()) {
    std::u16string showText = utf8ToWide(std::to_string(show));
    auto answer = platform::askBlocking(platform::BlockingCall{
        u"ShellExecuteW", hwnd, {textOr(verb), textOr(file), textOr(parameters), textOr(directory), showText}});
    return result(answer ? answer->value : 42);
  }
  if (!file || !*file) return result(2);  // the file was not found
  std::u16string target = file;
  std::string native = target.find(u"://") != target.npos || target.rfind(u"mailto:", 0) == 0 ? wideToUtf8(target)
                                                                                              : nativePath(target);
  return result(spawnDetached({"xdg-open", native}) ? 42 : 8);
}

UINT WinExec(LPCSTR commandLine, UINT show) {
  std::string cmd = commandLine ? commandLine : "";
  if (platform::blockingHookInstalled()) {
    std::u16string line(cmd.size(), u'\0');
    line.resize(ansiDecode(cmd.data(), cmd.size(), line.data()));
    auto answer = platform::askBlocking(
        platform::BlockingCall{u"WinExec", nullptr, {line, utf8ToWide(std::to_string(show))}});
    return answer ? static_cast<UINT>(answer->value) : 33;
  }
  if (cmd.empty()) return 2;
  if (isCmdExe(cmd)) {
    const std::string terminal = firstOnPath({"x-terminal-emulator", "xterm"});
    if (terminal.empty()) return ERROR_FILE_NOT_FOUND;
    return spawnDetached({terminal}) ? 33 : 8;
  }
  return spawnDetached({"/bin/sh", "-c", cmd}) ? 33 : 8;
}

namespace platform {
void setCommandLine(std::u16string line) { commandLineOverride() = std::move(line); }
}  // namespace platform
