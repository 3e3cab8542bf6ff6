#include "script/OutputWindow.h"

#include "controls/TextEditor.h"

void appendOutputText(CCText& editor, std::u16string text) { editor.appendText(text); }

void clearOutputEditor(CCText& editor) { editor.setText(std::u16string()); }
