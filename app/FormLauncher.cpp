#include "app/FormLauncher.h"

#include "codemaster/FrmCodeMaster.h"
#include "list/FrmNippoList.h"
#include "maintenance/FrmHosyu.h"
#include "platform/forms/Form.h"
#include "status/FrmTeisyutu.h"

namespace tqen {

namespace {

void bringForward(forms::Form *form) {
    form->showNormal();
    form->raise();
    form->activateWindow();
}

}  // namespace

FormLauncher::FormLauncher(model::Session &session, QObject *parent) : QObject(parent), session_(session) {}

void FormLauncher::codeTable() {
    // A new one loads itself.
    if (auto *open = qobject_cast<FrmCodeMaster *>(forms::findForm(QStringLiteral("FrmCodeMaster")))) {
        const bool closed = !open->isVisible();
        open->showNormal();
        if (closed) open->LoadCodeClass();
        open->raise();
        open->activateWindow();
        return;
    }
    auto *codes = new FrmCodeMaster(session_);
    connect(codes, &FrmCodeMaster::registered, this, [this](const QString &codeClass) {
        if (codeClass == QStringLiteral("担当")) emit staffRegistered();
    });
    codes->Form_Load();
}

void FormLauncher::reportList(const std::optional<model::HandOver> &jump) {
    auto *form = static_cast<FrmNippoList *>(forms::findForm(QStringLiteral("FrmNippoList")));
    if (!form) {
        form = new FrmNippoList(session_);
        form->setAttribute(Qt::WA_DeleteOnClose);
        form->Form_Load();
    }
    if (jump) form->handOver(*jump);
    // Both windows stay usable; the list takes the hand-over when it
    // becomes active.
    bringForward(form);
}

void FormLauncher::maintenance() {
    auto *form = static_cast<FrmHosyu *>(forms::findForm(QStringLiteral("FrmHosyu")));
    if (!form) {
        form = new FrmHosyu(session_);
        form->setAttribute(Qt::WA_DeleteOnClose);
        // A registered date style shows at once, on the screen and on an
        // open list.
        connect(form, &FrmHosyu::settingsRegistered, this, [this] {
            emit settingsRegistered();
            if (auto *list = qobject_cast<FrmNippoList *>(forms::findForm(QStringLiteral("FrmNippoList"))))
                list->FormInit();
        });
        form->Form_Load();
    }
    bringForward(form);
}

void FormLauncher::submissionStatus(const QDate &month) {
    auto *form = static_cast<FrmTeisyutu *>(forms::findForm(QStringLiteral("FrmTeisyutu")));
    if (!form) {
        form = new FrmTeisyutu(session_);
        form->setAttribute(Qt::WA_DeleteOnClose);
        connect(form, &FrmTeisyutu::reportsChosen, this, [this](const model::HandOver &report) { reportList(report); });
        connect(form, &FrmTeisyutu::dayChosen, this, &FormLauncher::dayChosen);
    }
    form->showMonth(month);
    bringForward(form);
}

}  // namespace tqen
