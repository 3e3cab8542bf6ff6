#include "grid/GridScripts.h"

#include "grid/Documents.h"
#include "grid/Grid.h"

CGridOps& CGridScriptDocument::scriptOps() { return mGrid.mOps; }
int32_t CGridScriptDocument::save() { return mGrid.save() ? 1 : 0; }
int32_t CGridScriptDocument::saveAs(const std::u16string& path) { return mGrid.saveAs(path) ? 1 : 0; }
void CGridScriptDocument::progress(int32_t percent) {
  mGrid.progress(reinterpret_cast<uint64_t>(&mGrid.mCore), percent);
}
void CGridScriptDocument::open(const std::u16string& path) { mGrid.open(path); }
void CGridScriptDocument::insert(int32_t count) { mGrid.insert(count); }
void CGridScriptDocument::sortAscending() {
  mGrid.guarded([&] { mGrid.mOps.sort(true, true); });
  mGrid.invalidate();
}
void CGridScriptDocument::sortDescending() {
  mGrid.guarded([&] { mGrid.mOps.sort(false, true); });
  mGrid.invalidate();
}
void CGridScriptDocument::scrollToCell(int32_t row, int32_t col) { mGrid.mView.scrollToCell(cellPos(row, col)); }
void CGridScriptDocument::repaint() { mGrid.invalidate(); }
CCText* CGridScriptDocument::outputEditor() { return &mGrid.mOutput; }
void CGridScriptDocument::showOutput() {
  if (mGrid.mOutputDlg) ShowWindow(mGrid.mOutputDlg, SW_SHOWNORMAL);
}
std::u16string CGridScriptDocument::documentPath() { return mGrid.mPath; }

void attachScripts(CGrid& grid) {
  static bool registry = [] {
    scriptDocuments().findByTitle = [](const std::u16string& title) -> ScriptDocument* {
      CCTab::CTabData* tab = gTabStrip.findByTitle(title);
      return tab && tab->document ? &tab->document->mScriptDoc : nullptr;
    };
    scriptDocuments().createFileInNewTab = [](const std::u16string& path) -> int32_t {
      return createFileInNewTab(path) ? 1 : 0;
    };
    scriptDocuments().openPath = [](const std::u16string& path) { openPath(path); };
    return true;
  }();
  (void)registry;
  bindScriptHosts(grid.mScriptDoc);
}
