// Addressing a dialog's controls by id.
#include <climits>
#include <string>
#include <utility>
#include <vector>

#include "platform/user/DialogState.h"
#include "platform/user/Message.h"
#include "platform/user/State.h"
#include "platform/user/Window.h"

using namespace platform::user;

namespace {

bool tabStop(HWND h) {
  return (GetWindowLongPtrW(h, GWL_STYLE) & WS_TABSTOP) && IsWindowVisible(h) && IsWindowEnabled(h);
}

bool groupStart(HWND h) { return (GetWindowLongPtrW(h, GWL_STYLE) & WS_GROUP) != 0; }

// The group of the control at `self` in `list`: [first, end).
std::pair<size_t, size_t> groupAround(const std::vector<HWND>& list, size_t self) {
  size_t first = self, end = self + 1;
  while (first > 0 && !groupStart(list[first])) --first;
  while (end < list.size() && !groupStart(list[end])) ++end;
  return {first, end};
}

size_t indexOf(const std::vector<HWND>& list, HWND h) {
  size_t i = 0;
  while (i < list.size() && list[i] != h) ++i;
  return i;
}

// The checked automatic radio button of the group around `radio` that can
// take the focus; null when none is checked.
HWND checkedInGroup(const std::vector<HWND>& list, HWND radio) {
  auto [first, end] = groupAround(list, indexOf(list, radio));
  for (size_t i = first; i < end; ++i)
    if (isAutoRadio(list[i]) && IsWindowVisible(list[i]) && IsWindowEnabled(list[i]) &&
        SendMessageW(list[i], BM_GETCHECK, 0, 0) == BST_CHECKED)
      return list[i];
  return nullptr;
}

}  // namespace

namespace platform::user {

bool isAutoRadio(HWND control) {
  return (GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK) == BS_AUTORADIOBUTTON &&
         (SendMessageW(control, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON);
}

HWND nextTabStop(HWND dialog, HWND from, bool previous) {
  WindowRef w = findWindow(dialog);
  if (!w || w->children.empty()) return nullptr;
  const std::vector<HWND> list = w->children;
  // A button of an automatic radio group with a checked button is a stop
  // when it is the checked one, whatever its WS_TABSTOP says.
  auto isStop = [&](HWND h) {
    if (isAutoRadio(h))
      if (HWND checked = checkedInGroup(list, h)) return h == checked;
    return tabStop(h);
  };
  const size_t n = list.size(), start = indexOf(list, from);  // n: no control, start before the first
  for (size_t step = 1; step <= n; ++step) {
    const size_t i = start == n ? (previous ? n - step : step - 1)
                                : (previous ? (start + n - step) % n : (start + step) % n);
    if (isStop(list[i])) return list[i];
  }
  return nullptr;
}

}  // namespace platform::user

HWND GetDlgItem(HWND dialog, int id) {
  WindowRef w = findWindow(dialog);
  if (!w) return nullptr;
  for (HWND c : w->children)
    if (WindowRef child = findWindow(c);
        child && static_cast<int>(static_cast<WORD>(child->id)) == static_cast<int>(static_cast<WORD>(id)))
      return c;
  return nullptr;
}

int GetDlgCtrlID(HWND control) {
  WindowRef w = findWindow(control);
  return w && w->isChild() ? static_cast<int>(w->id) : 0;
}

LRESULT SendDlgItemMessageW(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND item = GetDlgItem(dialog, id);
  return item ? SendMessageW(item, message, wParam, lParam) : 0;
}

BOOL SetDlgItemTextW(HWND dialog, int id, LPCWSTR text) {
  HWND item = GetDlgItem(dialog, id);
  return item ? SetWindowTextW(item, text) : FALSE;
}

UINT GetDlgItemTextW(HWND dialog, int id, LPWSTR buffer, int size) {
  if (!buffer || size <= 0) return 0;
  buffer[0] = 0;
  HWND item = GetDlgItem(dialog, id);
  return item ? static_cast<UINT>(GetWindowTextW(item, buffer, size)) : 0;
}

BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned) {
  long long v = isSigned ? static_cast<long long>(static_cast<INT>(value)) : static_cast<long long>(value);
  return SetDlgItemTextW(dialog, id, decimal(v).c_str());
}

UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned) {
  if (translated) *translated = FALSE;
  HWND item = GetDlgItem(dialog, id);
  if (!item) return 0;
  int length = GetWindowTextLengthW(item);
  std::u16string text(static_cast<size_t>(length) + 1, u'\0');
  GetWindowTextW(item, text.data(), length + 1);
  size_t i = 0;
  while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
  bool negative = false;
  if (isSigned && i < text.size() && text[i] == u'-') negative = true, ++i;
  long long value = 0;
  size_t digits = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i, ++digits) {
    value = value * 10 + (text[i] - u'0');
    if (value > 0xFFFFFFFFLL) return 0;  // out of every 32-bit range
  }
  if (!digits) return 0;
  if (negative) value = -value;
  if (isSigned ? (value < INT_MIN || value > INT_MAX) : value > UINT_MAX) return 0;
  if (translated) *translated = TRUE;
  return static_cast<UINT>(static_cast<int64_t>(value));
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check) {
  HWND item = GetDlgItem(dialog, id);
  if (!item) return FALSE;
  SendMessageW(item, BM_SETCHECK, check, 0);
  return TRUE;
}

UINT IsDlgButtonChecked(HWND dialog, int id) {
  HWND item = GetDlgItem(dialog, id);
  return item ? static_cast<UINT>(SendMessageW(item, BM_GETCHECK, 0, 0)) : 0;
}

BOOL CheckRadioButton(HWND dialog, int first, int last, int check) {
  if (!IsWindow(dialog)) return FALSE;
  for (int id = first; id <= last; ++id)
    if (HWND item = GetDlgItem(dialog, id)) SendMessageW(item, BM_SETCHECK, id == check ? 1 : 0, 0);
  return TRUE;
}

HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous) {
  WindowRef w = findWindow(dialog);
  if (!w || w->children.empty()) return nullptr;
  const std::vector<HWND>& list = w->children;
  size_t n = list.size();
  size_t start = n;  // no control: the first (or, going back, the last) tab stop
  for (size_t i = 0; i < n; ++i)
    if (list[i] == control) start = i;
  for (size_t step = 1; step <= n; ++step) {
    size_t i;
    if (start == n) i = previous ? n - step : step - 1;
    else i = previous ? (start + n - step) % n : (start + step) % n;
    if (tabStop(list[i])) return list[i];
  }
  return nullptr;
}

HWND GetNextDlgGroupItem(HWND dialog, HWND control, BOOL previous) {
  WindowRef w = findWindow(dialog);
  if (!w) return nullptr;
  const std::vector<HWND>& list = w->children;
  size_t self = 0;
  while (self < list.size() && list[self] != control) ++self;
  if (self == list.size()) return nullptr;
  auto [first, end] = groupAround(list, self);
  size_t n = end - first, at = self - first;
  for (size_t step = 1; step < n; ++step) {
    HWND h = list[first + (previous ? at + n - step : at + step) % n];
    if (IsWindowVisible(h) && IsWindowEnabled(h)) return h;
  }
  return control;
}
