// Native choosers for the common dialogs.
#include "platform/display/FileChooser.h"

#include <gtk/gtk.h>

#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "platform/display/GtkDesktop.h"
#include "platform/display/Text.h"
#include "platform/display/TopWindow.h"
#include "platform/user/User.h"

namespace platform::display {

namespace {

std::vector<std::u16string> split(const std::u16string& text, char16_t separator) {
  std::vector<std::u16string> parts;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i)
    if (i == text.size() || text[i] == separator) {
      parts.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  return parts;
}

std::u16string arg(const BlockingCall& call, size_t i) { return i < call.args.size() ? call.args[i] : u""; }

// The program's pairs "description|pattern;pattern|..." as the chooser's filters.
void addFilters(GtkFileChooser* chooser, const std::u16string& pairs) {
  if (pairs.empty()) return;
  std::vector<std::u16string> parts = split(pairs, u'|');
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    GtkFileFilter* filter = gtk_file_filter_new();
    gtk_file_filter_set_name(filter, wideToUtf8(parts[i]).c_str());
    for (const std::u16string& pattern : split(parts[i + 1], u';')) {
      if (pattern.empty()) continue;
      gtk_file_filter_add_pattern(filter, pattern == u"*.*" ? "*" : wideToUtf8(pattern).c_str());
    }
    gtk_file_chooser_add_filter(chooser, filter);
  }
}

void placeInitial(GtkFileChooser* chooser, bool save, const std::u16string& name, const std::u16string& folder) {
  std::string initial = wideToUtf8(name);
  size_t slash = initial.find_last_of('/');
  if (!folder.empty()) gtk_file_chooser_set_current_folder(chooser, wideToUtf8(folder).c_str());
  if (slash != std::string::npos)
    gtk_file_chooser_set_current_folder(chooser, slash == 0 ? "/" : initial.substr(0, slash).c_str());
  std::string base = slash == std::string::npos ? initial : initial.substr(slash + 1);
  if (save && !base.empty()) gtk_file_chooser_set_current_name(chooser, base.c_str());
}

struct Waiting {
  bool done = false;
  int response = GTK_RESPONSE_CANCEL;
};

void onResponse(GtkNativeDialog*, gint response, gpointer data) {
  auto* w = static_cast<Waiting*>(data);
  w->done = true;
  w->response = response;
}

}  // namespace

std::optional<BlockingAnswer> runChooser(GtkDesktop& desktop, const BlockingCall& call) {
  bool folder = call.kind == u"SHBrowseForFolderW";
  bool save = call.kind == u"GetSaveFileNameW";
  bool multi = !folder && !save && arg(call, 3) == u"multi";
  HWND owner = call.owner ? GetAncestor(call.owner, GA_ROOT) : nullptr;
  TopWindow* parent = desktop.find(owner);
  GtkFileChooserAction action = folder ? GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER
                                : save ? GTK_FILE_CHOOSER_ACTION_SAVE
                                       : GTK_FILE_CHOOSER_ACTION_OPEN;
  std::string title = wideToUtf8(arg(call, 0));
  GtkFileChooserNative* native = gtk_file_chooser_native_new(
      title.empty() ? nullptr : title.c_str(), parent ? parent->gtkWindow() : nullptr, action, nullptr, nullptr);
  GtkFileChooser* chooser = GTK_FILE_CHOOSER(native);
  gtk_file_chooser_set_select_multiple(chooser, multi);
  if (!folder) {
    addFilters(chooser, arg(call, 1));
    placeInitial(chooser, save, arg(call, 2), arg(call, 4));
  }
  if (save) gtk_file_chooser_set_do_overwrite_confirmation(chooser, arg(call, 5) == u"overwrite");

  bool disabled = owner && IsWindowEnabled(owner);
  if (disabled) EnableWindow(owner, FALSE);
  Waiting waiting;
  g_signal_connect(native, "response", G_CALLBACK(onResponse), &waiting);
  gtk_native_dialog_set_modal(GTK_NATIVE_DIALOG(native), TRUE);
  gtk_native_dialog_show(GTK_NATIVE_DIALOG(native));
  bool quit = false;
  int quitCode = 0;
  while (!waiting.done && !quit) {
    MSG m;
    if (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (m.message == WM_QUIT) {
        quit = true;
        quitCode = static_cast<int>(m.wParam);
        break;
      }
      TranslateMessage(&m);
      DispatchMessageW(&m);
    } else {
      desktop.wait(0xFFFFFFFF);
    }
  }
  if (!waiting.done) gtk_native_dialog_hide(GTK_NATIVE_DIALOG(native));
  std::optional<BlockingAnswer> result;
  if (waiting.done && waiting.response == GTK_RESPONSE_ACCEPT) {
    BlockingAnswer a;
    a.value = 1;
    GSList* files = gtk_file_chooser_get_filenames(chooser);
    for (GSList* f = files; f; f = f->next) {
      a.texts.push_back(utf8ToWide(static_cast<const char*>(f->data)));
      g_free(f->data);
    }
    g_slist_free(files);
    if (!a.texts.empty()) result = std::move(a);
  }
  g_signal_handlers_disconnect_by_data(native, &waiting);
  g_object_unref(native);
  if (disabled && IsWindow(owner)) EnableWindow(owner, TRUE);
  if (quit) PostQuitMessage(quitCode);
  return result;
}

}  // namespace platform::display
