#include "grid/DocumentCommands.h"

#include "grid/Documents.h"

bool isDocumentCommand(UINT id) {
  switch (id) {
    case 32813: case 32939: case 32814: case 32979: case 32914: case 32815: case 32816:
    case 32875: case 32885: case 32888: case 32889: case 32895: case 32897: case 32905:
    case 32907: case 32937:
      return true;
    default:
      return (id >= 32921 && id <= 32925) || (id >= 32818 && id <= 32849) || (id >= 32931 && id <= 32935);
  }
}

void enableDocumentCommands(bool enable) {
  HMENU menu = gMainWnd ? GetMenu(gMainWnd) : nullptr;
  if (!menu) return;
  for (UINT id = 32811; id <= 32999; ++id)
    if (isDocumentCommand(id)) EnableMenuItem(menu, id, MF_BYCOMMAND | (enable ? MF_ENABLED : MF_GRAYED));
  // The last document's window held the keyboard; the main window takes it, so that
  // the accelerators that need no document still arrive.
  if (!enable && !GetFocus()) SetFocus(gMainWnd);
}
