// Modal dialogs: the modal loop, EndDialog and dialog keyboard processing.
#include <string>

#include "platform/AsciiCase.h"
#include "platform/user/DialogState.h"
#include "platform/user/Input.h"
#include "platform/user/Message.h"
#include "platform/user/Mnemonic.h"
#include "platform/user/State.h"
#include "platform/user/Window.h"

namespace platform::user {

namespace {

// "1003=text" sets a control's text, "1000:1" / "1000:0" its check.
void applyControlText(HWND dialog, const std::u16string& entry) {
  size_t eq = entry.find(u'='), colon = entry.find(u':');
  size_t cut = std::min(eq, colon);
  if (cut == std::u16string::npos || cut == 0) return;
  int id = 0;
  for (size_t i = 0; i < cut; ++i) {
    if (entry[i] < u'0' || entry[i] > u'9') return;
    id = id * 10 + (entry[i] - u'0');
  }
  std::u16string rest = entry.substr(cut + 1);
  if (cut == eq) SetDlgItemTextW(dialog, id, rest.c_str());
  else CheckDlgButton(dialog, id, rest == u"1" ? 1 : 0);
}

// A dialog box's default answer: its texts, then a click on the value's
// control; no answer from an installed hook cancels, then gives up. A click
// on a disabled control is refused: a user cannot give it.
void applyDialogAnswer(HWND dialog, const platform::BlockingCall& call, const platform::BlockingAnswer* answer,
                       int& unanswered) {
  if (!answer) {
    if (++unanswered == 1) pressButton(dialog, IDCANCEL);
    else EndDialog(dialog, -1);
    return;
  }
  for (const auto& t : answer->texts) applyControlText(dialog, t);
  if (!answer->value) return;
  int id = static_cast<int>(answer->value);
  HWND control = GetDlgItem(dialog, id);
  if (control && !IsWindowEnabled(control)) {
    platform::refuseAnswer(call, u"a press of disabled button " + decimal(id));
    return;
  }
  pressButton(dialog, id);
}

bool isDialogOf(HWND dialog, HWND hwnd) { return hwnd == dialog || IsChild(dialog, hwnd); }

// An arrow key: the focus moves to the next (Down, Right) or previous (Up,
// Left) control of the focused control's group; an automatic radio button
// reached so is clicked when not checked yet.
void moveInGroup(HWND dialog, HWND from, WPARAM vk) {
  bool back = vk == VK_UP || vk == VK_LEFT;
  HWND next = GetNextDlgGroupItem(dialog, from, back);
  if (!next || next == from) return;
  SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), TRUE);
  if (IsWindow(next) && isAutoRadio(next) && SendMessageW(next, BM_GETCHECK, 0, 0) != BST_CHECKED)
    SendMessageW(next, BM_CLICK, 0, 0);
}

// The control whose text underlines `ch` (case-insensitive), searched from
// the one after `from` round the dialog; visible, enabled controls only,
// labels with SS_NOPREFIX left out. Null when none.
HWND controlWithMnemonic(HWND dialog, HWND from, char16_t ch) {
  WindowRef w = findWindow(dialog);
  if (!w || !ch) return nullptr;
  const std::vector<HWND> list = w->children;
  size_t n = list.size(), start = 0;
  for (size_t i = 0; i < n; ++i)
    if (list[i] == from) start = i + 1;
  for (size_t step = 0; step < n; ++step) {
    HWND c = list[(start + step) % n];
    if (!IsWindowVisible(c) || !IsWindowEnabled(c)) continue;
    bool label = SendMessageW(c, WM_GETDLGCODE, 0, 0) & DLGC_STATIC;
    if (label && (GetWindowLongPtrW(c, GWL_STYLE) & SS_NOPREFIX)) continue;
    int length = GetWindowTextLengthW(c);
    std::u16string text(static_cast<size_t>(length) + 1, u'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(c, text.data(), length + 1)));
    if (foldAscii(platform::mnemonicOf(text)) == foldAscii(ch)) return c;
  }
  return nullptr;
}

// A mnemonic typed in the dialog: a button is clicked (a check box or radio
// button first takes the focus), a label passes the focus to the next tab
// stop after it, another control takes the focus. False when no control
// has the letter.
bool pressMnemonic(HWND dialog, HWND from, char16_t ch) {
  HWND c = controlWithMnemonic(dialog, from, ch);
  if (!c) return false;
  LRESULT code = SendMessageW(c, WM_GETDLGCODE, 0, 0);
  if (code & DLGC_STATIC) {
    if (HWND next = GetNextDlgTabItem(dialog, c, FALSE))
      SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), TRUE);
    return true;
  }
  if (!(code & DLGC_BUTTON)) {
    SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(c), TRUE);
    return true;
  }
  if (!(code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)))
    SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(c), TRUE);
  if (IsWindow(c)) SendMessageW(c, BM_CLICK, 0, 0);
  return true;
}

}  // namespace

INT_PTR runModal(HWND dialog, const platform::BlockingCall& call,
                 const std::function<void(HWND, const platform::BlockingAnswer*)>& apply) {
  DialogState* d = dialogState(dialog);
  if (!d) return -1;
  if (!d->ended) ShowWindow(dialog, SW_SHOWNORMAL);
  for (;;) {
    d = dialogState(dialog);
    if (!d || d->ended) break;
    MSG m;
    if (!PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (platform::blockingHookInstalled()) {
        auto answer = platform::askBlocking(call, true);
        if (answer && answer->later) continue;  // the input queued first is delivered, then asked again
        apply(dialog, answer ? &*answer : nullptr);
        continue;
      }
      if (!GetMessageW(&m, nullptr, 0, 0)) {
        PostQuitMessage(static_cast<int>(m.wParam));
        break;
      }
    } else if (m.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(m.wParam));
      break;
    }
    if (!IsDialogMessageW(dialog, &m)) {
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
  }
  d = dialogState(dialog);
  INT_PTR result = d ? (d->ended ? d->result : -1) : -1;
  if (d && d->disabledOwner) {
    EnableWindow(d->disabledOwner, TRUE);
    d->disabledOwner = nullptr;
  }
  if (IsWindow(dialog)) DestroyWindow(dialog);
  return result;
}

}  // namespace platform::user

using namespace platform::user;

INT_PTR DialogBoxParamW(HINSTANCE instance, LPCWSTR name, HWND parent, DLGPROC proc, LPARAM param) {
  const auto* t = platform::resources::findDialog(name);
  if (!t) {
    SetLastError(1814 /* ERROR_RESOURCE_NAME_NOT_FOUND */);
    return -1;
  }
  HWND dialog = createDialog(*t, instance, parent, proc, param, true);
  if (!dialog) return -1;
  HWND owner = GetParent(dialog);
  platform::BlockingCall call{u"DialogBoxParamW", owner, {decimal(t->id), t->caption}};
  int unanswered = 0;
  return runModal(dialog, call, [&](HWND dlg, const platform::BlockingAnswer* a) {
    applyDialogAnswer(dlg, call, a, unanswered);
  });
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
  DialogState* d = dialogState(dialog);
  if (!d) return FALSE;
  d->ended = true;
  d->result = result;
  if (d->disabledOwner) {  // before hiding, so that the activation goes back to the owner
    HWND owner = d->disabledOwner;
    d->disabledOwner = nullptr;
    EnableWindow(owner, TRUE);
  }
  ShowWindow(dialog, SW_HIDE);
  return TRUE;
}

BOOL IsDialogMessageW(HWND dialog, LPMSG msg) {
  if (!msg || !IsWindow(dialog) || !msg->hwnd || !isDialogOf(dialog, msg->hwnd)) return FALSE;
  if (msg->message == WM_KEYDOWN) {
    LRESULT code = SendMessageW(msg->hwnd, WM_GETDLGCODE, msg->wParam, reinterpret_cast<LPARAM>(msg));
    switch (msg->wParam) {
      case VK_TAB:
        if (code & (DLGC_WANTTAB | DLGC_WANTMESSAGE)) break;
        SendMessageW(dialog, WM_NEXTDLGCTL, GetKeyState(VK_SHIFT) < 0, FALSE);
        return TRUE;
      case VK_RETURN: {
        if (code & DLGC_WANTMESSAGE) break;
        HWND focus = GetFocus();
        if (focus && IsChild(dialog, focus) &&
            (SendMessageW(focus, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
          if (IsWindowEnabled(focus)) pressButton(dialog, GetDlgCtrlID(focus));
          return TRUE;
        }
        LRESULT def = SendMessageW(dialog, DM_GETDEFID, 0, 0);
        int id = HIWORD(def) == DC_HASDEFID ? LOWORD(def) : IDOK;
        HWND button = GetDlgItem(dialog, id);
        if (!button || IsWindowEnabled(button))
          SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
        return TRUE;
      }
      case VK_ESCAPE:
        if (code & DLGC_WANTMESSAGE) break;
        pressButton(dialog, IDCANCEL);
        return TRUE;
      case VK_LEFT:
      case VK_RIGHT:
      case VK_UP:
      case VK_DOWN:
        if (code & (DLGC_WANTARROWS | DLGC_WANTMESSAGE)) break;
        moveInGroup(dialog, msg->hwnd, msg->wParam);
        return TRUE;
      default: break;
    }
  }
  // Alt+letter anywhere in the dialog; the letter alone on a button, which
  // has no use for characters.
  bool mnemonic = msg->message == WM_SYSCHAR;
  if (msg->message == WM_CHAR && msg->hwnd != dialog) {
    LRESULT code = SendMessageW(msg->hwnd, WM_GETDLGCODE, msg->wParam, reinterpret_cast<LPARAM>(msg));
    mnemonic = (code & DLGC_BUTTON) && !(code & (DLGC_WANTCHARS | DLGC_WANTMESSAGE));
  }
  if (mnemonic && pressMnemonic(dialog, msg->hwnd, static_cast<char16_t>(msg->wParam))) return TRUE;
  TranslateMessage(msg);
  DispatchMessageW(msg);
  return TRUE;
}
