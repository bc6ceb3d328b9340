// The main screen's way to the code table form.
#include "app/TqenMain.h"

#include "codemaster/FrmCodeMaster.h"
#include "core/ModTqen.h"

namespace tqen {

void TqenMain::Command5_Click() {
    ModTqen::FormStack(QStringLiteral("PUSH"), name());
    // An open code table form is shown as it is; a new one loads itself.
    if (forms::Form *open = forms::findForm(QStringLiteral("FrmCodeMaster"))) {
        open->showNormal();
        open->raise();
        open->activateWindow();
        return;
    }
    (new FrmCodeMaster)->Form_Load();
}

}  // namespace tqen
