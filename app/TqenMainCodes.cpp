// The main screen's way to the code table form.
#include "app/TqenMain.h"

#include "app/PrintPanel.h"

#include "codemaster/FrmCodeMaster.h"
#include "platform/forms/FormStack.h"

namespace tqen {

void TqenMain::Command5_Click() {
    forms::FormStack(QStringLiteral("PUSH"), name());
    // An open code table form is shown as it is; one closed with the
    // window's button and shown again reads its class anew, and a new one
    // loads itself.
    if (auto *open = qobject_cast<FrmCodeMaster *>(forms::findForm(QStringLiteral("FrmCodeMaster")))) {
        const bool closed = !open->isVisible();
        open->showNormal();
        if (closed) open->LoadCodeClass();
        open->raise();
        open->activateWindow();
        return;
    }
    auto *codes = new FrmCodeMaster(session_);
    // The staff boxes offer the names the code table now holds.
    connect(codes, &FrmCodeMaster::registered, this, [this](const QString &codeClass) {
        if (codeClass != QStringLiteral("担当")) return;
        const QString printing = Cn印刷条件->staffText();
        SetComb(QStringLiteral("担当"));
        Cn印刷条件->setStaffText(printing);
    });
    codes->Form_Load();
}

}  // namespace tqen
