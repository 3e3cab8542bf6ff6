#include "grid/DialogCentre.h"

void centreDialog(HWND dialog) {
  HWND parent = GetParent(dialog);
  RECT p{}, d{};
  if (parent) GetWindowRect(parent, &p);
  GetWindowRect(dialog, &d);
  const int w = d.right - d.left, h = d.bottom - d.top;
  MoveWindow(dialog, p.left + (p.right - p.left - w + 1) / 2, p.top + (p.bottom - p.top - h + 1) / 2, w, h, FALSE);
}
