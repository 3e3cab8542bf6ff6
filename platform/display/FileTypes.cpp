// Document types as desktop entries, MIME types and icons.
#include "platform/display/FileTypes.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/AsciiCase.h"
#include "platform/CodePage.h"
#include "platform/display/Text.h"
#include "platform/gdi/Surface.h"
#include "platform/png/Png.h"
#include "platform/resources/Resources.h"

extern char** environ;

namespace platform::display {

namespace {

std::string dataHome() {
  if (const char* x = std::getenv("XDG_DATA_HOME"); x && *x) return x;
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : "/tmp") + "/.local/share";
}

void makeFolders(const std::string& path) {
  for (size_t i = 1; i <= path.size(); ++i)
    if (i == path.size() || path[i] == '/') mkdir(path.substr(0, i).c_str(), 0755);
}

bool writeFile(const std::string& path, const std::string& text) {
  std::string temp = path + ".new";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << text;
    if (!out) return false;
  }
  return std::rename(temp.c_str(), path.c_str()) == 0;
}

std::string lower(std::string s) { return toLowerAscii(std::move(s)); }

std::string xmlEscape(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '&') out += "&amp;";
    else if (c == '<') out += "&lt;";
    else if (c == '>') out += "&gt;";
    else if (c == '"') out += "&quot;";
    else out += c;
  }
  return out;
}

// The program path of an open command: `path "%1"` (the path itself may be
// quoted).
std::string programOf(const std::string& command) {
  std::string path = command;
  size_t arg = path.rfind("\"%1\"");
  if (arg != std::string::npos) path = path.substr(0, arg);
  while (!path.empty() && (path.back() == ' ' || path.back() == '\t')) path.pop_back();
  if (path.size() >= 2 && path.front() == '"' && path.back() == '"') path = path.substr(1, path.size() - 2);
  return path;
}

// Exec= of a desktop entry: the path in double quotes with ", `, $ and \
// escaped, then every backslash doubled once more for the entry's string.
std::string execValue(const std::string& program) {
  std::string quoted = "\"";
  for (char c : program) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    quoted += c;
  }
  quoted += "\"";
  std::string out;
  for (char c : quoted) {
    if (c == '\\') out += '\\';
    out += c;
  }
  return out + " %f";
}

// Runs a desktop tool when it is installed, without waiting for it.
void runTool(std::initializer_list<const char*> args) {
  std::vector<char*> argv;
  for (const char* a : args) argv.push_back(const_cast<char*>(a));
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
  }
}

bool writeIcon(const std::string& base, const std::string& name) {
  const resources::Icon* icon = resources::firstIcon();
  if (!icon || icon->width <= 0 || icon->argb.size() != static_cast<size_t>(icon->width) * icon->height)
    return false;
  // PNG of the icon over white (surfaces carry no alpha).
  Surface s;
  s.resize(icon->width, icon->height);
  for (size_t i = 0; i < icon->argb.size(); ++i) {
    uint32_t p = icon->argb[i], a = p >> 24;
    auto mix = [&](int shift) { return ((((p >> shift) & 0xFF) * a + 0xFF * (255 - a)) / 255) << shift; };
    s.pixels[i] = mix(16) | mix(8) | mix(0);
  }
  std::string folder = base + "/icons/hicolor/" + std::to_string(icon->width) + "x" + std::to_string(icon->height) +
                       "/apps";
  makeFolders(folder);
  return writePng(s, folder + "/" + name + ".png");
}

}  // namespace

void installFileType(const std::u16string& extension, const std::u16string& progId,
                     const std::u16string& description, const std::u16string& command) {
  std::string ext = lower(wideToUtf8(extension));
  if (ext.size() < 2 || ext[0] != '.') return;
  std::string id = wideToUtf8(progId);
  std::string name = lower(id.substr(0, id.find('.')));
  if (name.empty()) return;
  std::string mime = "application/x-" + name + "-" + ext.substr(1);
  std::string desc = wideToUtf8(description);
  std::string program = programOf(wideToUtf8(command));
  std::string appName = name;
  if (const resources::String* title = resources::findString(103); title && !title->text.empty())
    appName = wideToUtf8(title->text);
  std::string base = dataHome();

  bool icon = writeIcon(base, name);
  makeFolders(base + "/mime/packages");
  writeFile(base + "/mime/packages/" + name + "-" + ext.substr(1) + ".xml",
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
            "  <mime-type type=\"" +
                mime +
                "\">\n"
                "    <comment>" +
                xmlEscape(desc) +
                "</comment>\n"
                "    <comment xml:lang=\"zh_CN\">" +
                xmlEscape(desc) + "</comment>\n" + (icon ? "    <icon name=\"" + name + "\"/>\n" : std::string()) +
                "    <glob pattern=\"*" + ext +
                "\"/>\n"
                "  </mime-type>\n"
                "</mime-info>\n");
  makeFolders(base + "/applications");
  std::string entry =
      "[Desktop Entry]\n"
      "Type=Application\n"
      "Name=" +
      appName +
      "\n"
      "Name[zh_CN]=" +
      appName +
      "\n"
      "Comment=" +
      desc +
      "\n"
      "Comment[zh_CN]=" +
      desc +
      "\n"
      "Exec=" +
      execValue(program) + "\n" + (icon ? "Icon=" + name + "\n" : std::string()) + "MimeType=" + mime +
      ";\n"
      "Terminal=false\n"
      "Categories=Office;Spreadsheet;\n";
  std::string desktopFile = name + ".desktop";
  writeFile(base + "/applications/" + desktopFile, entry);
  runTool({"update-mime-database", (base + "/mime").c_str()});
  runTool({"update-desktop-database", (base + "/applications").c_str()});
  runTool({"xdg-mime", "default", desktopFile.c_str(), mime.c_str()});
}

}  // namespace platform::display
