// Internal: the state the dialog manager keeps for each dialog window.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "platform/resources/Resources.h"
#include "platform/user/Blocking.h"
#include "platform/user/Dialog.h"

namespace platform::user {

struct DialogState {
  DLGPROC proc = nullptr;
  HFONT font = nullptr;     // the font WM_SETFONT gave the dialog (WM_GETFONT)
  HFONT ownFont = nullptr;  // the template's font, made for the dialog and deleted with it
  SIZE base{};              // dialog base units of `font`
  HWND focus = nullptr;     // control that gets the focus when the dialog is activated
  WORD defId = 0;           // set by DM_SETDEFID (0: look for a default push button)
  bool modal = false;
  bool ended = false;  // EndDialog was called
  INT_PTR result = 0;
  HWND disabledOwner = nullptr;  // modal: the owner this dialog disabled (enabled again at the end)
};

// The state of a dialog window; null for other windows.
DialogState* dialogState(HWND hwnd);

// Makes the dialog of template `t` with its controls and sends
// WM_INITDIALOG (see CreateDialogParamW). `modal` dialogs disable their
// owner before WM_INITDIALOG and are not shown here.
HWND createDialog(const platform::resources::Dialog& t, HINSTANCE instance, HWND parent, DLGPROC proc, LPARAM param,
                  bool modal);

// The modal loop of a dialog made with modal = true: shows it, pumps until
// EndDialog, destroys it and returns the result. At each idle moment the
// blocking-call hook is asked `call`; `apply` receives the answer (null when
// a hook is installed but has none).
INT_PTR runModal(HWND dialog, const platform::BlockingCall& call,
                 const std::function<void(HWND, const platform::BlockingAnswer*)>& apply);

// The control Tab (previous: Shift+Tab) moves the focus to from `from` (null:
// the dialog's first tab stop): the next visible, enabled control with
// WS_TABSTOP, round the dialog; but in an automatic radio group with a
// checked button that button is the group's one stop. Null when the dialog
// has no tab stop.
HWND nextTabStop(HWND dialog, HWND from, bool previous);

// Whether the control is an automatic radio button.
bool isAutoRadio(HWND control);

// WM_COMMAND (MAKEWPARAM(id, BN_CLICKED), control) as a click on control `id`.
void pressButton(HWND dialog, int id);

// UTF-16 decimal text of a number.
std::u16string decimal(long long value);

}  // namespace platform::user
