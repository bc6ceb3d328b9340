// The main screen's "一覧" button: hands the entry's day, staff member and
// (for a marked day) customer over and opens the report list, not modal.
#include "app/TqenMain.h"

#include "platform/forms/FormStack.h"
#include "list/FrmNippoList.h"

namespace tqen {

void TqenMain::Command3_Click() {
    const std::optional<model::HandOver> jump = SetJump();
    forms::FormStack(QStringLiteral("PUSH"), name());
    openReportList(jump);
}

void TqenMain::openReportList(const std::optional<model::HandOver> &jump) {
    auto *form = static_cast<FrmNippoList *>(forms::findForm(QStringLiteral("FrmNippoList")));
    if (!form) {
        form = new FrmNippoList(session_);
        form->setAttribute(Qt::WA_DeleteOnClose);
        form->Form_Load();
    }
    if (jump) form->handOver(*jump);
    // Both windows stay usable; the list takes the hand-over when it
    // becomes active.
    form->showNormal();
    form->raise();
    form->activateWindow();
}

}  // namespace tqen
