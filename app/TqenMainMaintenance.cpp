// The main screen's "保守" button: opens the maintenance form, not modal.
#include "app/TqenMain.h"

#include "core/ModTqen.h"
#include "maintenance/FrmHosyu.h"

namespace tqen {

void TqenMain::Command11_Click() {
    ModTqen::FormStack(QStringLiteral("PUSH"), name());
    auto *form = static_cast<FrmHosyu *>(forms::findForm(QStringLiteral("FrmHosyu")));
    if (!form) {
        form = new FrmHosyu;
        form->setAttribute(Qt::WA_DeleteOnClose);
        form->Form_Load();
    }
    form->showNormal();
    form->raise();
    form->activateWindow();
}

}  // namespace tqen
