// The document's script output window: dialog 147 "输出" holding a read-only text
// editor that collects the error banners of every run. Shown by a run that left text,
// hidden by its close box, cleared by the next F5, F8 or script-file run.
#pragma once
#include <string>

#include "platform/windows.h"

class CCText;

// Appends to the output editor.
void appendOutputText(CCText& editor, std::u16string text);
// Empties the editor as setText with an empty text does: text, undo history, caret,
// selection and scroll position.
void clearOutputEditor(CCText& editor);
