#include "grid/ReadSettings.h"

#include "grid/Documents.h"
#include "resources/GridIds.h"
#include "store/FilePath.h"
#include "store/QuoteDetect.h"

std::atomic<char> gDefaultSeparator{0};

namespace {
constexpr char kSeparators[8] = {0, ',', '\t', ' ', ';', '|', '\\', ':'};
}

void setQuoteDetect(bool on) {
  gQuoteDetect = on;
  HMENU menu = gMainWnd ? GetMenu(gMainWnd) : nullptr;
  if (!menu) return;
  CheckMenuItem(menu, ID_QUOTES_ON, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
  CheckMenuItem(menu, ID_QUOTES_OFF, MF_BYCOMMAND | (on ? MF_UNCHECKED : MF_CHECKED));
}

void setDefaultSeparator(UINT menuId) {
  if (menuId < ID_SEPARATOR_AUTO || menuId > ID_SEPARATOR_COLON) return;
  gDefaultSeparator = kSeparators[menuId - ID_SEPARATOR_AUTO];
  HMENU menu = gMainWnd ? GetMenu(gMainWnd) : nullptr;
  if (!menu) return;
  for (UINT id = ID_SEPARATOR_AUTO; id <= ID_SEPARATOR_COLON; ++id)
    CheckMenuItem(menu, id, MF_BYCOMMAND | (id == menuId ? MF_CHECKED : MF_UNCHECKED));
}

char delimiterFor(const std::u16string& path) {
  const char chosen = gDefaultSeparator;
  if (chosen != 0) return chosen;
  return fileKind(path) == FILE_CSV ? ',' : '\t';
}
