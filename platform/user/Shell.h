// Shell calls: the process command line and its splitting, path tests, and
// handing a document or command to the desktop (ShellExecuteW opens it with
// the desktop's opener, WinExec("cmd.exe") opens a terminal). While a
// blocking-call hook is installed (tests), ShellExecuteW and WinExec are
// asked of the hook - and so recorded - instead of run. Neither waits for
// what it starts.
#pragma once
#include <string>

#include "platform/user/Types.h"

using HLOCAL = HANDLE;
constexpr UINT LMEM_FIXED = 0x0000;
constexpr UINT LMEM_ZEROINIT = 0x0040;
constexpr UINT LPTR = LMEM_FIXED | LMEM_ZEROINIT;

// A fixed block of local memory (its handle is its address).
HLOCAL LocalAlloc(UINT flags, SIZE_T bytes);
HLOCAL LocalFree(HLOCAL block);  // null on success

// The command line of the process: its arguments quoted so that
// CommandLineToArgvW gives them back, the first being the program's path.
LPWSTR GetCommandLineW();
// Splits a command line by the platform's rules and returns the arguments
// in one block to be freed with LocalFree; null (with *count 0) on failure.
//  - argument 0, the program, runs to the first blank, or from a leading
//    quote to the next quote, with no other processing;
//  - then arguments are separated by blanks and tabs outside quotes;
//  - 2n backslashes before a quote give n backslashes and the quote opens
//    or closes quoting; 2n+1 give n backslashes and a literal quote;
//    backslashes before anything else stay as they are;
//  - inside quotes, a quote followed by another gives one literal quote
//    and ends the quoted part (three quotes in a row give one quote);
//  - an empty line gives the program's path alone.
LPWSTR* CommandLineToArgvW(LPCWSTR commandLine, int* count);

BOOL PathFileExistsW(LPCWSTR path);   // a file or a folder exists there
BOOL PathIsDirectoryW(LPCWSTR path);  // FILE_ATTRIBUTE_DIRECTORY (0x10) for a folder, else FALSE

// Returns a value above 32 on success. Headless: recorded as the blocking
// call "ShellExecuteW" with the texts verb, file, parameters, folder and the
// show command in decimal; the answer's value, when one is given, is
// returned.
HINSTANCE ShellExecuteW(HWND hwnd, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory, INT show);
// "cmd.exe" (any case, with or without a path) opens a terminal: the first
// of x-terminal-emulator and xterm found on PATH; with neither there it
// returns ERROR_FILE_NOT_FOUND. Any other command line runs through the
// shell. Returns a value above 31 on success. Headless: recorded as the
// blocking call "WinExec" (command, show).
UINT WinExec(LPCSTR commandLine, UINT show);

namespace platform {
// Tests: the command line GetCommandLineW returns (empty: the real one).
void setCommandLine(std::u16string line);
}  // namespace platform
