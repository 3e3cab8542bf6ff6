// The input method's messages in the text editor.
#include "controls/TextEditor.h"

bool CCText::handleIme(UINT, LRESULT&) { return false; }
