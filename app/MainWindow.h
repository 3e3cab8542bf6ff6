// The program's start and its main window: the entry function, the main window with its
// tab strip and first document, the start-up menu settings and command-line file, the
// message loop, the window procedure and the document type's registration.
#pragma once
#include <string>

#include "platform/windows.h"

// The program's module instance; set by createMainWindow.
extern HINSTANCE gInstance;
// String IDS_APP_TITLE: the main window's first title. String IDR_MAIN: its window class.
extern char16_t gWindowTitle[100];
extern char16_t gWindowClass[100];

// The entry function: registration, the main window, the loop. Returns the exit code
// (0 also when the main window cannot be made).
int wWinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int show);
// wWinMain up to the loop: the document type, the window class, the main window, the
// accelerators, the encoding marks and the plug-in items. False when the main window
// could not be made.
bool startMainWindow(HINSTANCE instance, int show);
// Runs the message loop until WM_QUIT and returns its code.
int runMessageLoop();
// One message of the loop: a modeless dialog's keys go to the dialog, accelerator table
// IDR_MAIN is tried for the message's own window, else the message is translated and
// dispatched.
void dispatchLoopMessage(MSG& msg);

// Writes the ".mvt" document type under HKEY_CLASSES_ROOT unless ".mvt" already names it.
void registerMvtFileType();
// Makes the main window, its tab strip with tooltip and the first empty document, shows
// it and applies the start-up settings. 1 when the window exists, 0 when it failed.
int createMainWindow(HINSTANCE instance, int show);
// Quote detection on, separator automatic, and the first command-line argument opened
// into the current tab when it names an existing file.
void applyStartupSettings();

// The folder of the program file, without a trailing separator.
std::u16string programFolder();
// The text after the last separator of a path (fileNameStart), else the whole path.
std::u16string lastPathComponent(const std::u16string& path);

// The main window's procedure.
LRESULT CALLBACK mainWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// The close of the main window (close box, Alt+F4, command ID_EXIT): every modified tab in
// tab order is made current and asked whether to save; Cancel, or a save that fails or
// is cancelled, keeps the window. True when the window may go.
bool mayCloseMainWindow();
