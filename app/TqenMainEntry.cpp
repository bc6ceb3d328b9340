// The main screen's report buttons: registering, deleting, putting the last
// deletion back, blanking and reading the month again, and the messages
// of the entry panel's steps.
#include "app/TqenMain.h"

#include "app/DataFileCheck.h"
#include "app/EntryPanel.h"
#include "app/MonthCalendar.h"
#include "core/DeletionUndo.h"
#include "messages/Msg.h"
#include "platform/dao/Dao.h"
#include "platform/dao/Server.h"
#include "platform/forms/Interaction.h"

#include <QPushButton>

namespace tqen {

// A step of a registration or deletion failed: the user is told what and
// where, and the boxes keep what was typed.
void TqenMain::failed(const Error &error, int style) {
    forms::interaction().messageBox(
        this, dao::maskPasswords(error.text() +
                  (dao::isServerUri(session_.dataDbPath) ? QStringLiteral("\n\nデータベース: ") : QStringLiteral("\n\nデータファイル: ")) +
                  session_.dataDbPath +
                  (error.detail().isEmpty() ? QString() : QStringLiteral("\n理由: ") + error.detail())),
        forms::mb::OK | style, forms::programTitle());
}

std::optional<model::HandOver> TqenMain::SetJump() {
    const QDate day = entry_->day();
    if (!day.isValid()) return std::nullopt;
    // The customer goes along only when that day's cell shows the first mark
    // (navy): the day holds a report of this customer.
    const int cell = calendar_->cellOffset() + day.day() - 1;
    const bool marked = calendar_->cellDate(cell) == day && calendar_->cellReports(cell) % 2 == 1;
    const QString customer = entry_->customer();
    return model::HandOver{day, entry_->staff(), marked && !customer.isEmpty() ? QVariant(customer) : QVariant()};
}

void TqenMain::ShowUndo() { cmd元に戻す->setEnabled(LastDeletion(session_.dataDbPath).has_value()); }

void TqenMain::cmd元に戻す_Click() {
    const std::optional<model::DeletedReports::Deletion> last = LastDeletion(session_.dataDbPath);
    if (!last) {
        ShowUndo();
        return;
    }
    // The report put back takes the boxes: typed text is asked about first.
    if (!entry_->keepTypedEntry()) return;
    const UndoResult undone = UndoDeletion(this, session_.dataDbPath, *last);
    // The one report put back shows in the boxes, its month on the calendar.
    if (undone.done && undone.only) showReport(undone.only->day, undone.only->customer, undone.only->staff);
    else if (undone.done) SetMarkDate();
    ShowUndo();
}

void TqenMain::cmd登録_Click() {
    if (dataCheck_->refused()) return;
    if (entry_->CheckNippo()) entry_->EntryNippo();
}

void TqenMain::cmd削除_Click() {
    if (dataCheck_->refused()) return;
    const QString subject = entry_->dayText() + QStringLiteral("の") + entry_->customer();
    if (MSG::ShowMessage(QStringLiteral("削除"), QStringLiteral("伝票確認2"), subject)) entry_->DeleteNippo();
}

void TqenMain::cmdクリア_Click() {
    BlankForm();
    SetComb(QStringLiteral("すべて"));
    SetMarkDate();
}

void TqenMain::cmd読込_Click() {
    entry_->blankTexts();
    SetClalendar();
    SetMarkDate();
}

void TqenMain::openHelp(const QString &page) { forms::interaction().shellOpen(session_.helpFolder + page); }

void TqenMain::cmdHint_Click() { openHelp(QStringLiteral("VoRadu1.htm")); }

void TqenMain::Command1_Click() { openHelp(QStringLiteral("VoRadu5.htm")); }

}  // namespace tqen
