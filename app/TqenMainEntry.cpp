// The main screen's report entry: showing, checking, registering and deleting
// the report of a day, customer and staff member, and the button bar.
#include "app/TqenMain.h"

#include "app/MonthCalendar.h"
#include "app/NextStepPanel.h"

#include "platform/dates/DateFormat.h"
#include "core/DeletionUndo.h"
#include "core/Globals.h"
#include "core/ModTqen.h"
#include "messages/Msg.h"
#include "model/Reports.h"
#include "platform/dao/Dao.h"
#include "platform/dao/Server.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/DateBox.h"
#include "platform/forms/FramedPanel.h"
#include "platform/forms/Interaction.h"
#include "platform/forms/TextBox.h"
#include "platform/text/Fold.h"

#include <QLabel>
#include <QPushButton>

namespace tqen {

void TqenMain::setLookupObserver(std::function<void()> observer) {
    model::Reports::setLookupObserver(std::move(observer));
}

void TqenMain::showProgress(forms::FramedPanel *panel, const QString &text) {
    if (panel == CnMsg) LMsg->setText(text);
    panel->move((width() - panel->width()) / 2, (height() - panel->height()) / 2);
    panel->showNow();
}

void TqenMain::hideProgress(forms::FramedPanel *panel) { panel->hide(); }

// A step of a registration or deletion failed: the user is told what and
// where, and the boxes keep what was typed.
void TqenMain::failed(const Error &error, int style) {
    forms::interaction().messageBox(
        this, dao::maskPasswords(error.text() +
                  (dao::isServerUri(G().DataDbPath) ? QStringLiteral("\n\nデータベース: ") : QStringLiteral("\n\nデータファイル: ")) +
                  G().DataDbPath +
                  (error.detail().isEmpty() ? QString() : QStringLiteral("\n理由: ") + error.detail())),
        forms::mb::OK | style, forms::programTitle());
}

void TqenMain::ReadNippo() {
    showProgress(CnMsg, QStringLiteral("読込中です･･･"));
    const std::optional<model::Report> found =
        model::Reports::read(G().DataDbPath, txt日付->date(), cmb顧客名->Text(), cmb担当->Text());
    if (!found) {
        txtタイトル->setText(QString());
        txtメモ->setText(QString());
        nextStep_->clear();
    } else {
        // A stored Null leaves its box as it was, but for the title and memo:
        // a report without them shows empty boxes, since what the boxes held
        // before belongs to another report and registering would write it
        // into this one.
        const model::Report &r = *found;
        if (!r.customer.isNull()) cmb顧客名->setText(r.customer);
        if (!r.reading.isNull()) txtふりがな->setText(r.reading);
        txtタイトル->setText(r.title);
        if (!r.staff.isNull()) cmb担当->setText(r.staff);
        txtメモ->setText(r.memo);
        if (r.day.isValid()) txt日付->setValue(r.day);
        nextStep_->showStep(model::NextSteps::of(G().DataDbPath, {r.day, r.customer, r.staff}));
    }
    entryEdited_ = false;
    hideProgress(CnMsg);
    txtメモ->SetFocus();
}

bool TqenMain::CheckNippo() {
    auto missing = [this](QWidget *focus) {
        MSG::Msg登録(QStringLiteral("チェック"), QString());
        focus->setFocus();
        return false;
    };
    if (cmb担当->Text().isEmpty()) return missing(cmb担当);
    if (cmb顧客名->Text().isEmpty()) return missing(cmb顧客名);
    if (txt日付->Value().isNull()) return missing(txt日付);
    // Half of a character cannot be stored as typed (it would become U+FFFD
    // and two different names one), and a name must fit the indexes of both
    // the data file and the server.
    const struct {
        QWidget *box;
        QString label, text;
        bool name;
    } boxes[] = {
        {cmb担当, QStringLiteral("担当"), cmb担当->Text(), true},
        {cmb顧客名, QStringLiteral("顧客名"), cmb顧客名->Text(), true},
        {txtふりがな, QStringLiteral("ふりがな"), txtふりがな->Text(), true},
        {txtタイトル, QStringLiteral("タイトル"), txtタイトル->Text(), false},
        {txtメモ, QStringLiteral("メモ"), txtメモ->Text(), false},
    };
    for (const auto &b : boxes) {
        QString problem;
        if (const qsizetype at = text::loneSurrogateAt(b.text); at >= 0)
            problem = QStringLiteral("%1の %2 文字目に、文字の半分だけ (U+%3) が入っています。その文字を消して入力し直してください。")
                          .arg(b.label)
                          .arg(at + 1)
                          .arg(QString::number(b.text[at].unicode(), 16).toUpper());
        else if (b.name && (b.text.size() > kMaxNameLength || text::fold(b.text).toUtf8().size() > 4 * kMaxNameLength))
            problem = QStringLiteral("%1は %2 文字までです（%3 文字あります）。").arg(b.label).arg(kMaxNameLength).arg(b.text.size());
        if (problem.isEmpty()) continue;
        forms::interaction().messageBox(this, problem, forms::mb::OK | forms::mb::Exclamation, forms::programTitle());
        b.box->setFocus();
        return false;
    }
    if (const QString why = model::NextSteps::problem(txt日付->date(), nextStep_->step()); !why.isEmpty()) {
        forms::interaction().messageBox(this, why, forms::mb::OK | forms::mb::Exclamation, forms::programTitle());
        nextStep_->first()->setFocus();
        return false;
    }
    return true;
}

bool TqenMain::EntryNippo(bool confirm) {
    if (confirm && !MSG::ShowMessage(QStringLiteral("登録"), QStringLiteral("確認"), QStringLiteral("営業日報")))
        return false;
    showProgress(CnMsg, QStringLiteral("登録しています････"));

    // The report, its customer and its staff member are written together;
    // the settings remember them for the next start.
    model::Report report;
    report.day = txt日付->date();
    report.customer = cmb顧客名->Text();
    report.reading = txtふりがな->Text();
    report.title = txtタイトル->Text();
    report.staff = cmb担当->Text();
    report.memo = txtメモ->Text();
    model::Session session = sessionFromGlobals();
    model::Reports::Notes notes;
    const Error error = model::Reports::enter(session, report, &notes, nextStep_->step());
    hideProgress(CnMsg);
    if (!error.ok()) {
        failed(error);
        return false;
    }
    G().Env = session.env;
    entryEdited_ = false;

    MSG::ShowMessage(QStringLiteral("登録"), QStringLiteral("完了"), QStringLiteral("営業日報"));
    // A staff name already in the code table is the usual case; a full table
    // or a failed settings write still leaves the report registered, and is
    // told.
    for (const Error &e : {notes.codeName, notes.remembered}) {
        if (!e.ok() && e.code() != Error::Code::AlreadyPresent) failed(e, forms::mb::Exclamation);
    }

    BlankForm();
    ReadLocalEnv();
    SetMarkDate();
    SetComb(QStringLiteral("すべて"));
    forms::DoEvents();
    cmb顧客名->setFocus();
    return true;
}

bool TqenMain::keepTypedEntry() {
    if (!entryEdited_) return true;
    const int answer = forms::interaction().messageBox(
        this, QStringLiteral("入力したタイトル・メモが登録されていません。\n登録しますか。\n\n"
                             "「いいえ」で入力した内容を破棄します。"),
        forms::mb::YesNoCancel | forms::mb::Question, forms::programTitle());
    if (answer == forms::mb::IdNo) {
        entryEdited_ = false;
        return true;
    }
    if (answer != forms::mb::IdYes) return false;
    return CheckNippo() && EntryNippo(false);
}

void TqenMain::SetJump() {
    const QDate day = txt日付->date();
    if (!day.isValid()) return;
    G().JumpDate = day;
    G().JumpStaff = cmb担当->Text();
    // The customer goes along only when that day's cell shows the first mark
    // (navy): the day holds a report of this customer.
    const int cell = calendar_->cellOffset() + day.day() - 1;
    const bool marked = calendar_->cellDate(cell) == day && calendar_->cellReports(cell) % 2 == 1;
    G().JumpCustomer = marked && !cmb顧客名->Text().isEmpty() ? QVariant(cmb顧客名->Text()) : QVariant();
}

bool TqenMain::DeleteNippo() {
    if (cmb顧客名->Text().isEmpty() || cmb担当->Text().isEmpty() || txt日付->Value().isNull()) return false;
    // The report is kept for a while, so "元に戻す" can put it back.
    const model::ReportKey key{txt日付->date(), cmb顧客名->Text(), cmb担当->Text()};
    const Error error = model::DeletedReports(G().DataDbPath)
                            .remove({key}, QStringLiteral("%1の%2 (%3)")
                                               .arg(key.day.toString(QStringLiteral("yyyy/MM/dd")), key.customer, key.staff));
    if (!error.ok()) {
        failed(error);
        return false;
    }
    BlankForm();
    ReadLocalEnv();
    SetComb(QStringLiteral("すべて"));
    SetMarkDate();
    ReadNippo();
    ShowUndo();
    return true;
}

void TqenMain::ShowUndo() { cmd元に戻す->setEnabled(LastDeletion(G().DataDbPath).has_value()); }

void TqenMain::cmd元に戻す_Click() {
    const std::optional<model::DeletedReports::Deletion> last = LastDeletion(G().DataDbPath);
    if (!last) {
        ShowUndo();
        return;
    }
    // The report put back takes the boxes: typed text is asked about first.
    if (!keepTypedEntry()) return;
    const UndoResult undone = UndoDeletion(this, G().DataDbPath, *last);
    if (undone.done) {
        // The report put back shows in the boxes, its month on the calendar.
        if (undone.only) {
            cmb顧客名->setText(undone.only->customer);
            cmb担当->setText(undone.only->staff);
            G().CalendarDate = undone.only->day;
            SetClalendar();
        }
        SetMarkDate();
        if (undone.only) {
            txt日付->setValue(undone.only->day);
            ReadNippo();
        }
    }
    ShowUndo();
}

void TqenMain::cmd登録_Click() {
    if (refusedAsDamaged()) return;
    if (CheckNippo()) EntryNippo();
}

void TqenMain::cmd削除_Click() {
    if (refusedAsDamaged()) return;
    const QString subject = txt日付->Text() + QStringLiteral("の") + cmb顧客名->Text();
    if (MSG::ShowMessage(QStringLiteral("削除"), QStringLiteral("伝票確認2"), subject)) DeleteNippo();
}

void TqenMain::cmdクリア_Click() {
    BlankForm();
    SetComb(QStringLiteral("すべて"));
    SetMarkDate();
}

void TqenMain::cmd読込_Click() {
    txtタイトル->setText(QString());
    txtふりがな->setText(QString());
    txtメモ->setText(QString());
    entryEdited_ = false;
    txt日付->setValue(QVariant());
    SetClalendar();
    SetMarkDate();
}

void TqenMain::openHelp(const QString &page) { forms::interaction().shellOpen(G().HelpFolder + page); }

void TqenMain::cmdHint_Click() { openHelp(QStringLiteral("VoRadu1.htm")); }

void TqenMain::Command1_Click() { openHelp(QStringLiteral("VoRadu5.htm")); }

}  // namespace tqen
