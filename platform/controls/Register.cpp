// Registration of the standard control classes.
#include "platform/controls/ControlBase.h"
#include "platform/user/Classes.h"

namespace platform::controls {
void registerButton();
void registerEdit();
void registerStatic();
void registerListBox();
void registerComboBox();
void registerProgress();
void registerTooltip();
void registerSysLink();
}  // namespace platform::controls

namespace platform {

bool registerStandardControls() {
  using namespace platform::controls;
  static const char16_t* const kNames[] = {u"Button",   u"Edit",      PROGRESS_CLASSW, u"Static", u"ListBox",
                                           u"ComboBox", u"ComboLBox", TOOLTIPS_CLASSW, WC_LINK};
  bool missing = false;
  for (const char16_t* name : kNames) missing = missing || !platform::user::findClass(name);
  if (!missing) return false;
  registerButton();
  registerEdit();
  registerStatic();
  registerListBox();
  registerComboBox();
  registerProgress();
  registerTooltip();
  registerSysLink();
  return true;
}

}  // namespace platform
