// The main screen's "保守" button: opens the maintenance form, not modal.
#include "app/TqenMain.h"

#include "platform/forms/FormStack.h"
#include "list/FrmNippoList.h"
#include "maintenance/FrmHosyu.h"

namespace tqen {

void TqenMain::Command11_Click() {
    forms::FormStack(QStringLiteral("PUSH"), name());
    auto *form = static_cast<FrmHosyu *>(forms::findForm(QStringLiteral("FrmHosyu")));
    if (!form) {
        form = new FrmHosyu(session_);
        form->setAttribute(Qt::WA_DeleteOnClose);
        // A registered date style shows at once, here and on an open list.
        connect(form, &FrmHosyu::settingsRegistered, this, [this] {
            applyDateStyle();
            if (auto *list = qobject_cast<FrmNippoList *>(forms::findForm(QStringLiteral("FrmNippoList"))))
                list->FormInit();
        });
        form->Form_Load();
    }
    form->showNormal();
    form->raise();
    form->activateWindow();
}

}  // namespace tqen
