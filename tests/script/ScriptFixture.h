// A document for script tests: the operations block of GridOpsFixture, its host records
// bound through a stand-in for the grid that records what the scripts asked of it, an
// output editor without a window, and a registry of open tables by title.
#pragma once
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "controls/TextEditor.h"
#include "platform/CodePage.h"
#include "script/ScriptDocument.h"
#include "script/ScriptRuns.h"
#include "tests/support/GridOpsFixture.h"

namespace scripttest {

struct FakeDocument : ScriptDocument, testsupport::GridOpsFixture {
  FakeDocument() { bindScriptHosts(*this); }

  CGridOps& scriptOps() override { return ops; }
  int32_t save() override {
    calls.push_back(u"save");
    if (onSave) onSave();
    manager.collect();
    return saveResult;
  }
  int32_t saveAs(const std::u16string& p) override {
    calls.push_back(u"saveAs " + p);
    if (onSave) onSave();
    return saveResult;
  }
  void progress(int32_t percent) override {
    calls.push_back(u"progress " + utf8ToWide(std::to_string(percent)));
    barUp = percent < 100;
    if (onProgress) onProgress(percent);
  }
  void open(const std::u16string& p) override {
    calls.push_back(u"open " + p);
    if (onOpen) onOpen(p);
  }
  void insert(int32_t count) override { calls.push_back(u"insert " + utf8ToWide(std::to_string(count))); }
  void sortAscending() override { calls.push_back(u"sortAscending"); }
  void sortDescending() override { calls.push_back(u"sortDescending"); }
  void scrollToCell(int32_t row, int32_t col) override {
    calls.push_back(u"scroll " + utf8ToWide(std::to_string(row) + "," + std::to_string(col)));
  }
  void repaint() override { calls.push_back(u"repaint"); }
  CCText* outputEditor() override { return &output; }
  void showOutput() override {
    ++outputShown;
    if (onShowOutput) onShowOutput();
  }
  std::u16string documentPath() override { return path; }

  // Cells of row r from column 1, typed by their text as the grid types input.
  void setRow(int32_t r, std::initializer_list<const char16_t*> cells) {
    int32_t c = 1;
    for (const char16_t* t : cells) core.setTextTyped(r, c++, t);
  }
  // A script cell of the given kind.
  void setScript(int32_t r, int32_t c, uint8_t kind, const std::u16string& text) {
    core.setText(r, c, text);
    core.cellAt(r, c)->kind = kind;
  }
  std::string outputText() const { return wideToUtf8(output.shownText); }

  CCText output;
  std::u16string path;
  std::vector<std::u16string> calls;
  int outputShown = 0;
  bool barUp = false;
  int32_t saveResult = 1;
  std::function<void()> onSave;
  std::function<void(int32_t)> onProgress;
  std::function<void(const std::u16string&)> onOpen;
  std::function<void()> onShowOutput;
};

// Open tables by title, first registered first; installed for the test's life.
struct OpenTables {
  OpenTables() {
    scriptDocuments().findByTitle = [this](const std::u16string& title) -> ScriptDocument* {
      for (auto& [t, d] : tabs)
        if (t == title) return d;
      return nullptr;
    };
  }
  ~OpenTables() { scriptDocuments() = ScriptDocuments{}; }
  void add(const std::u16string& title, FakeDocument& d) { tabs.emplace_back(title, &d); }
  std::vector<std::pair<std::u16string, FakeDocument*>> tabs;
};

}  // namespace scripttest
