// MessageBoxW: a modal dialog made from a template built for the text.
#include "platform/user/MsgBox.h"

#include <algorithm>
#include <vector>

#include "platform/gdi/Gdi.h"
#include "platform/resources/Resources.h"
#include "platform/user/DialogState.h"
#include "platform/user/Message.h"
#include "platform/user/Paint.h"
#include "platform/user/Window.h"

using namespace platform::user;

namespace {

struct ButtonSet {
  const char16_t* name;
  std::vector<int> ids;
};

const ButtonSet& buttonSet(UINT type) {
  static const ButtonSet sets[] = {
      {u"MB_OK", {IDOK}},
      {u"MB_OKCANCEL", {IDOK, IDCANCEL}},
      {u"MB_ABORTRETRYIGNORE", {IDABORT, IDRETRY, IDIGNORE}},
      {u"MB_YESNOCANCEL", {IDYES, IDNO, IDCANCEL}},
      {u"MB_YESNO", {IDYES, IDNO}},
      {u"MB_RETRYCANCEL", {IDRETRY, IDCANCEL}},
      {u"MB_CANCELTRYCONTINUE", {IDCANCEL, IDTRYAGAIN, IDCONTINUE}},
  };
  UINT kind = type & MB_TYPEMASK;
  return sets[kind < std::size(sets) ? kind : 0];
}

const char16_t* buttonText(int id) {
  switch (id) {
    case IDOK: return u"确定";
    case IDCANCEL: return u"取消";
    case IDABORT: return u"中止(&A)";
    case IDRETRY: return u"重试(&R)";
    case IDIGNORE: return u"忽略(&I)";
    case IDYES: return u"是(&Y)";
    case IDNO: return u"否(&N)";
    case IDTRYAGAIN: return u"重试(&T)";
    case IDCONTINUE: return u"继续(&C)";
    default: return u"";
  }
}

struct Box {
  const ButtonSet* set;
  int defaultId;
};

bool hasButton(const Box& box, int id) {
  return std::find(box.set->ids.begin(), box.set->ids.end(), id) != box.set->ids.end();
}

// What Esc and the close box give; 0 when the set cannot be cancelled.
int escapeResult(const Box& box) {
  if (hasButton(box, IDCANCEL)) return IDCANCEL;
  return box.set->ids.size() == 1 ? box.set->ids[0] : 0;
}

INT_PTR CALLBACK boxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* box = reinterpret_cast<Box*>(lParam);
    SetWindowLongPtrW(dialog, GWLP_USERDATA, lParam);
    SendMessageW(dialog, DM_SETDEFID, static_cast<WPARAM>(box->defaultId), 0);
    if (DialogState* d = dialogState(dialog)) d->focus = GetDlgItem(dialog, box->defaultId);
    return FALSE;  // the focus is placed above
  }
  if (message != WM_COMMAND) return FALSE;
  auto* box = reinterpret_cast<Box*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
  if (!box) return FALSE;
  int id = LOWORD(wParam);
  if (hasButton(*box, id)) EndDialog(dialog, id);
  else if (id == IDCANCEL && escapeResult(*box)) EndDialog(dialog, escapeResult(*box));
  return TRUE;
}

// Pixels of the text in the default dialog font.
SIZE measure(const std::u16string& text) {
  HFONT font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, u"MS Shell Dlg");
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  RECT r{0, 0, 0, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  DeleteObject(font);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

// The box's template: the text at the top left, the buttons in a row at the
// bottom right (sizes in dialog units, rounded up from pixels).
platform::resources::Dialog boxTemplate(const std::u16string& text, const std::u16string& caption, const Box& box) {
  LONG units = GetDialogBaseUnits();
  int bx = LOWORD(units), by = HIWORD(units);
  auto dluX = [&](int px) { return static_cast<short>((px * 4 + bx - 1) / bx); };
  auto dluY = [&](int px) { return static_cast<short>((px * 8 + by - 1) / by); };
  SIZE t = measure(text);
  const short margin = 7, buttonW = 50, buttonH = 14, gap = 4;
  short textW = dluX(t.cx), textH = std::max<short>(dluY(t.cy), 8);
  short count = static_cast<short>(box.set->ids.size());
  short rowW = static_cast<short>(count * buttonW + (count - 1) * gap);
  short width = std::max<short>(std::max(textW, rowW) + 2 * margin, 120);
  short height = static_cast<short>(margin + textH + 2 * margin + buttonH + margin);
  platform::resources::Dialog d;
  d.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME | DS_CENTER;
  d.cx = width, d.cy = height;
  d.caption = caption;
  d.items.push_back({u"STATIC", text, 0xFFFF, WS_VISIBLE | SS_NOPREFIX, 0, margin, margin, textW, textH, 0});
  short x = static_cast<short>(width - margin - rowW), y = static_cast<short>(height - margin - buttonH);
  for (int id : box.set->ids) {
    DWORD style = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON | (id == box.defaultId ? BS_DEFPUSHBUTTON : 0);
    d.items.push_back({u"BUTTON", buttonText(id), static_cast<WORD>(id), style, 0, x, y, buttonW, buttonH, 0});
    x = static_cast<short>(x + buttonW + gap);
  }
  return d;
}

}  // namespace

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  Box box{&buttonSet(type), 0};
  size_t defaultIndex = (type & MB_DEFMASK) >> 8;
  box.defaultId = box.set->ids[defaultIndex < box.set->ids.size() ? defaultIndex : 0];
  std::u16string body = text ? text : u"";
  std::u16string title = caption ? caption : u"错误";
  if (owner && !IsWindow(owner)) owner = nullptr;
  HWND dialog =
      createDialog(boxTemplate(body, title, box), nullptr, owner, boxProc, reinterpret_cast<LPARAM>(&box), true);
  if (!dialog) return 0;
  platform::BlockingCall call{u"MessageBoxW", owner, {body, title, box.set->name}};
  INT_PTR result = runModal(dialog, call, [&](HWND dlg, const platform::BlockingAnswer* a) {
    int id = a ? static_cast<int>(a->value) : 0;
    EndDialog(dlg, a && hasButton(box, id) ? id : escapeResult(box));
  });
  return result < 0 ? 0 : static_cast<int>(result);
}
