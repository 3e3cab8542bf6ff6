// The file-backed registry store.
//
// File format (UTF-8 lines): "K<TAB>path" opens a key, "V<TAB>name<TAB>type
// <TAB>hex bytes" is a value of the key above. Backslash, TAB and line feed in
// names are written as \\, \t and \n. The file is rewritten (through a
// temporary file) after every change.
#include "platform/user/Registry.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/AsciiCase.h"
#include "platform/CodePage.h"
#include "platform/user/Desktop.h"

namespace {

struct Value {
  std::u16string name;
  DWORD type = REG_NONE;
  std::vector<uint8_t> data;
};

struct Key {
  std::u16string path;                     // as first written
  std::map<std::u16string, Value> values;  // by folded name
};

struct Store {
  std::mutex mutex;
  std::string file;  // the file `keys` came from
  bool loaded = false;
  std::map<std::u16string, Key> keys;                     // by folded path
  std::unordered_map<uintptr_t, std::u16string> handles;  // open key -> folded path
  uintptr_t nextHandle = 0x50000;
};

Store& store() {
  static auto* s = new Store;
  return *s;
}

std::u16string fold(std::u16string s) { return toLowerWide(std::move(s)); }

std::string storeFile() {
  if (const char* f = std::getenv("MORVEL_REGISTRY_FILE"); f && *f) return f;
  std::string base;
  if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x) base = x;
  else if (const char* h = std::getenv("HOME"); h && *h) base = std::string(h) + "/.config";
  else base = "/tmp";
  return base + "/morvel/registry";
}

std::string escape(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '\\') out += "\\\\";
    else if (c == '\t') out += "\\t";
    else if (c == '\n') out += "\\n";
    else out += c;
  }
  return out;
}

std::string unescape(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 1 < s.size()) {
      char n = s[++i];
      out += n == 't' ? '\t' : n == 'n' ? '\n' : n;
    } else {
      out += s[i];
    }
  }
  return out;
}

std::vector<std::string> splitTabs(const std::string& line) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t i = 0; i <= line.size(); ++i)
    if (i == line.size() || line[i] == '\t') {
      parts.push_back(line.substr(start, i - start));
      start = i + 1;
    }
  return parts;
}

void load(Store& s, const std::string& file) {
  s.keys.clear();
  s.file = file;
  s.loaded = true;
  std::ifstream in(file);
  std::string line;
  Key* current = nullptr;
  while (std::getline(in, line)) {
    auto parts = splitTabs(line);
    if (parts.size() == 2 && parts[0] == "K") {
      std::u16string path = utf8ToWide(unescape(parts[1]));
      current = &s.keys[fold(path)];
      current->path = path;
    } else if (parts.size() == 4 && parts[0] == "V" && current) {
      Value v;
      v.name = utf8ToWide(unescape(parts[1]));
      v.type = static_cast<DWORD>(std::strtoul(parts[2].c_str(), nullptr, 10));
      for (size_t i = 0; i + 1 < parts[3].size(); i += 2)
        v.data.push_back(static_cast<uint8_t>(std::stoul(parts[3].substr(i, 2), nullptr, 16)));
      current->values[fold(v.name)] = v;
    }
  }
}

void makeParents(const std::string& file) {
  for (size_t i = 1; i < file.size(); ++i)
    if (file[i] == '/') mkdir(file.substr(0, i).c_str(), 0700);
}

void save(const Store& s) {
  makeParents(s.file);
  std::string temp = s.file + ".new";
  {
    std::ofstream out(temp, std::ios::trunc);
    for (const auto& [folded, key] : s.keys) {
      out << "K\t" << escape(wideToUtf8(key.path)) << '\n';
      for (const auto& [vfold, v] : key.values) {
        out << "V\t" << escape(wideToUtf8(v.name)) << '\t' << v.type << '\t';
        static const char* hex = "0123456789abcdef";
        for (uint8_t b : v.data) out << hex[b >> 4] << hex[b & 15];
        out << '\n';
      }
    }
  }
  std::rename(temp.c_str(), s.file.c_str());
}

// The store, (re)read when the file it comes from has changed.
Store& current() {
  Store& s = store();
  std::string file = storeFile();
  if (!s.loaded || s.file != file) load(s, file);
  return s;
}

const char16_t* rootName(HKEY key) {
  if (key == HKEY_CLASSES_ROOT) return u"HKEY_CLASSES_ROOT";
  if (key == HKEY_CURRENT_USER) return u"HKEY_CURRENT_USER";
  if (key == HKEY_LOCAL_MACHINE) return u"HKEY_LOCAL_MACHINE";
  if (key == HKEY_USERS) return u"HKEY_USERS";
  return nullptr;
}

// The folded path of an open key or root; false for an unknown handle.
bool pathOf(Store& s, HKEY key, std::u16string* path) {
  if (const char16_t* root = rootName(key)) {
    *path = fold(root);
    return true;
  }
  auto it = s.handles.find(reinterpret_cast<uintptr_t>(key));
  if (it == s.handles.end()) return false;
  *path = it->second;
  return true;
}

std::u16string join(const std::u16string& base, LPCWSTR sub) {
  std::u16string rest = sub ? sub : u"";
  while (!rest.empty() && rest.front() == u'\\') rest.erase(0, 1);
  while (!rest.empty() && rest.back() == u'\\') rest.pop_back();
  return rest.empty() ? base : base + u"\\" + rest;
}

bool isRootPath(const std::u16string& folded) { return folded.find(u'\\') == std::u16string::npos; }

HKEY newHandle(Store& s, const std::u16string& folded) {
  uintptr_t h = s.nextHandle;
  s.nextHandle += 4;
  s.handles[h] = folded;
  return reinterpret_cast<HKEY>(h);
}

// Creates the key and every missing key above it; `display` keeps the case.
void createPath(Store& s, const std::u16string& display) {
  for (size_t i = 0; i <= display.size(); ++i) {
    if (i != display.size() && display[i] != u'\\') continue;
    std::u16string prefix = display.substr(0, i);
    if (isRootPath(fold(prefix))) continue;
    Key& k = s.keys[fold(prefix)];
    if (k.path.empty()) k.path = prefix;
  }
}

std::u16string displayPath(Store& s, HKEY key, LPCWSTR sub) {
  std::u16string base;
  if (const char16_t* root = rootName(key)) base = root;
  else if (auto it = s.keys.find(s.handles[reinterpret_cast<uintptr_t>(key)]); it != s.keys.end())
    base = it->second.path;
  return join(base, sub);
}

Value* findValue(Store& s, const std::u16string& folded, LPCWSTR name) {
  auto k = s.keys.find(folded);
  if (k == s.keys.end()) return nullptr;
  auto v = k->second.values.find(fold(name ? name : u""));
  return v == k->second.values.end() ? nullptr : &v->second;
}

bool keyExists(Store& s, const std::u16string& folded) { return isRootPath(folded) || s.keys.count(folded); }

LSTATUS copyOut(const std::vector<uint8_t>& data, BYTE* out, DWORD* bytes) {
  DWORD need = static_cast<DWORD>(data.size());
  if (!out) {
    if (bytes) *bytes = need;
    return ERROR_SUCCESS;
  }
  if (!bytes) return ERROR_INVALID_PARAMETER;
  if (*bytes < need) {
    *bytes = need;
    return ERROR_MORE_DATA;
  }
  std::copy(data.begin(), data.end(), out);
  *bytes = need;
  return ERROR_SUCCESS;
}

std::vector<uint8_t> textBytes(LPCWSTR text) {
  std::vector<uint8_t> bytes;
  for (const WCHAR* p = text ? text : u"";; ++p) {
    bytes.push_back(static_cast<uint8_t>(*p & 0xFF));
    bytes.push_back(static_cast<uint8_t>(*p >> 8));
    if (!*p) break;
  }
  return bytes;
}

std::u16string textOf(const Value* v) {
  std::u16string text;
  if (!v) return text;
  for (size_t i = 0; i + 1 < v->data.size(); i += 2) {
    char16_t c = static_cast<char16_t>(v->data[i] | (v->data[i + 1] << 8));
    if (!c) break;
    text += c;
  }
  return text;
}

// A document type under HKEY_CLASSES_ROOT: every extension mapped to the
// ProgID whose open command `path` (folded) names.
struct FileType {
  std::u16string extension, progId, description, command;
};

std::vector<FileType> fileTypesOf(Store& s, const std::u16string& path) {
  const std::u16string root = u"hkey_classes_root\\", tail = u"\\shell\\open\\command";
  std::vector<FileType> out;
  if (path.rfind(root, 0) != 0 || path.size() <= root.size() + tail.size() ||
      path.compare(path.size() - tail.size(), tail.size(), tail) != 0)
    return out;
  std::u16string progKey = path.substr(0, path.size() - tail.size());
  if (progKey.find(u'\\', root.size()) != std::u16string::npos) return out;
  std::u16string folded = progKey.substr(root.size());
  auto prog = s.keys.find(progKey);
  if (prog == s.keys.end()) return out;
  std::u16string progId = prog->second.path.substr(root.size());
  for (auto& [key, k] : s.keys) {
    if (key.rfind(root + u".", 0) != 0 || key.find(u'\\', root.size()) != std::u16string::npos) continue;
    if (fold(textOf(findValue(s, key, u""))) != folded) continue;
    out.push_back(FileType{k.path.substr(root.size()), progId, textOf(findValue(s, progKey, u"")),
                           textOf(findValue(s, path, u""))});
  }
  return out;
}

// Tells the desktop (when there is one) of the document types a change of
// `path` completed.
void tellDesktop(const std::vector<FileType>& types) {
  if (types.empty()) return;
  platform::Desktop* d = platform::desktop(true);
  if (!d) return;
  for (const FileType& t : types) d->fileTypeRegistered(t.extension, t.progId, t.description, t.command);
}

}  // namespace

LSTATUS RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD, REGSAM, PHKEY result) {
  if (!result) return ERROR_INVALID_PARAMETER;
  Store& s = current();
  std::lock_guard<std::mutex> lock(s.mutex);
  std::u16string base;
  if (!pathOf(s, key, &base)) return ERROR_INVALID_HANDLE;
  std::u16string path = fold(join(base, subKey));
  if (!keyExists(s, path)) return ERROR_FILE_NOT_FOUND;
  *result = newHandle(s, path);
  return ERROR_SUCCESS;
}

LSTATUS RegOpenKeyW(HKEY key, LPCWSTR subKey, PHKEY result) {
  return RegOpenKeyExW(key, subKey, 0, KEY_ALL_ACCESS, result);
}

LSTATUS RegCreateKeyW(HKEY key, LPCWSTR subKey, PHKEY result) {
  if (!result) return ERROR_INVALID_PARAMETER;
  Store& s = current();
  std::lock_guard<std::mutex> lock(s.mutex);
  std::u16string base;
  if (!pathOf(s, key, &base)) return ERROR_INVALID_HANDLE;
  std::u16string display = displayPath(s, key, subKey);
  createPath(s, display);
  save(s);
  *result = newHandle(s, fold(display));
  return ERROR_SUCCESS;
}

LSTATUS RegCloseKey(HKEY key) {
  if (rootName(key)) return ERROR_SUCCESS;
  Store& s = store();
  std::lock_guard<std::mutex> lock(s.mutex);
  return s.handles.erase(reinterpret_cast<uintptr_t>(key)) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LSTATUS RegQueryValueW(HKEY key, LPCWSTR subKey, LPWSTR data, LONG* dataBytes) {
  Store& s = current();
  std::lock_guard<std::mutex> lock(s.mutex);
  std::u16string base;
  if (!pathOf(s, key, &base)) return ERROR_INVALID_HANDLE;
  std::u16string path = fold(join(base, subKey));
  if (!keyExists(s, path)) return ERROR_FILE_NOT_FOUND;
  Value* v = findValue(s, path, u"");
  std::vector<uint8_t> bytes = v ? v->data : textBytes(u"");
  if (v && v->type != REG_SZ && v->type != REG_EXPAND_SZ) return 13;  // ERROR_INVALID_DATA
  DWORD size = dataBytes ? static_cast<DWORD>(*dataBytes) : 0;
  LSTATUS r = copyOut(bytes, reinterpret_cast<BYTE*>(data), &size);
  if (dataBytes) *dataBytes = static_cast<LONG>(size);
  return r;
}

LSTATUS RegQueryValueExW(HKEY key, LPCWSTR valueName, DWORD*, DWORD* type, BYTE* data, DWORD* dataBytes) {
  Store& s = current();
  std::lock_guard<std::mutex> lock(s.mutex);
  std::u16string path;
  if (!pathOf(s, key, &path)) return ERROR_INVALID_HANDLE;
  Value* v = findValue(s, path, valueName);
  if (!v) return ERROR_FILE_NOT_FOUND;
  if (type) *type = v->type;
  return copyOut(v->data, data, dataBytes);
}

LSTATUS RegSetValueW(HKEY key, LPCWSTR subKey, DWORD type, LPCWSTR data, DWORD) {
  if (type != REG_SZ) return ERROR_INVALID_PARAMETER;
  std::vector<FileType> types;
  {
    Store& s = current();
    std::lock_guard<std::mutex> lock(s.mutex);
    std::u16string base;
    if (!pathOf(s, key, &base)) return ERROR_INVALID_HANDLE;
    std::u16string display = displayPath(s, key, subKey);
    createPath(s, display);
    std::u16string path = fold(display);
    if (isRootPath(path)) return ERROR_ACCESS_DENIED;
    s.keys[path].values[u""] = Value{u"", REG_SZ, textBytes(data)};
    save(s);
    types = fileTypesOf(s, path);
  }
  tellDesktop(types);
  return ERROR_SUCCESS;
}

LSTATUS RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD, DWORD type, const BYTE* data, DWORD dataBytes) {
  Store& s = current();
  std::lock_guard<std::mutex> lock(s.mutex);
  std::u16string path;
  if (!pathOf(s, key, &path)) return ERROR_INVALID_HANDLE;
  if (isRootPath(path)) return ERROR_ACCESS_DENIED;
  if (!s.keys.count(path)) return ERROR_FILE_NOT_FOUND;  // deleted meanwhile
  std::u16string name = valueName ? valueName : u"";
  std::vector<uint8_t> bytes(data, data + (data ? dataBytes : 0));
  s.keys[path].values[fold(name)] = Value{name, type, bytes};
  save(s);
  return ERROR_SUCCESS;
}
