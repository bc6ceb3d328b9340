#include "app/EntryPanel.h"

#include "app/ConfirmationPanel.h"
#include "app/MemoTemplateButton.h"
#include "app/NextStepPanel.h"
#include "messages/Msg.h"
#include "model/DeletedReports.h"
#include "model/NextSteps.h"
#include "model/Reports.h"
#include "model/Settings.h"
#include "platform/forms/Accessible.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/DateBox.h"
#include "platform/forms/Form.h"
#include "platform/forms/FramedPanel.h"
#include "platform/forms/Interaction.h"
#include "platform/forms/TextBox.h"
#include "platform/forms/Twips.h"
#include "platform/text/Fold.h"

#include <QGridLayout>
#include <QLabel>

namespace tqen {

using forms::pixels;

EntryPanel::EntryPanel(model::Session &session, QWidget *parent) : QWidget(parent), session_(session) {
    setObjectName(QStringLiteral("tab営業日報"));
    build();
}

EntryPanel::~EntryPanel() = default;

void EntryPanel::setLookupObserver(std::function<void()> observer) {
    model::Reports::setLookupObserver(std::move(observer));
}

// A label beside each box, one row each; the next step under the memo, the
// template button under the memo's label, the confirmation at the bottom.
void EntryPanel::build() {
    auto *entry = new QGridLayout(this);
    entry->setContentsMargins(12, 12, 12, 12);
    entry->setHorizontalSpacing(10);
    entry->setVerticalSpacing(8);

    // The date box sits in its frame, 120 × 60 twips in.
    ImFrame3D3 = new forms::FramedPanel(QStringLiteral("ImFrame3D3"), this);
    ImFrame3D3->setFixedHeight(pixels(480));
    txt日付 = new forms::DateBox(QStringLiteral("txt日付"), ImFrame3D3);
    txt日付->setFixedHeight(pixels(360));
    txt日付->move(pixels(120), pixels(60));
    cmb担当 = new forms::ComboBox(QStringLiteral("cmb担当"), this);
    cmb顧客名 = new forms::ComboBox(QStringLiteral("cmb顧客名"), this);
    txtふりがな = new forms::TextBox(QStringLiteral("txtふりがな"), false, this);
    txtタイトル = new forms::TextBox(QStringLiteral("txtタイトル"), false, this);
    txtメモ = new forms::TextBox(QStringLiteral("txtメモ"), true, this);
    for (forms::TextBox *typed : {txtタイトル, txtメモ})
        connect(typed, &forms::TextBox::edited, this, [this] { entryEdited_ = true; });

    const struct Row {
        const char *label;
        QWidget *labelled;   // what the label names
        QWidget *placed;     // what the row holds
    } rows[] = {
        {"日付", txt日付, ImFrame3D3},  {"担当", cmb担当, cmb担当},
        {"顧客名", cmb顧客名, cmb顧客名}, {"ふりがな", txtふりがな, txtふりがな},
        {"タイトル", txtタイトル, txtタイトル}, {"メモ", txtメモ, txtメモ},
    };
    int row = 0;
    QWidget *previous = nullptr;
    for (const Row &r : rows) {
        const bool memo = r.placed == txtメモ;
        entry->addWidget(forms::fieldLabel(QString::fromUtf8(r.label), r.labelled, this), row, 0,
                         memo ? Qt::AlignTop : Qt::Alignment());
        entry->addWidget(r.placed, row, 1, r.placed == ImFrame3D3 ? Qt::AlignLeft : Qt::Alignment());
        if (previous) setTabOrder(previous, r.labelled);
        previous = r.labelled;
        ++row;
    }
    entry->setRowStretch(row - 1, 1);

    const auto dataDbPath = [this] { return session_.dataDbPath; };
    nextStep_ = new NextStepPanel(this);
    entry->addWidget(forms::fieldLabel(QStringLiteral("次回予定"), nextStep_->first(), this), row, 0);
    entry->addWidget(nextStep_, row, 1);
    templates_ = new MemoTemplateButton(txtメモ, dataDbPath, this);
    entry->addWidget(templates_, row - 1, 0, Qt::AlignBottom | Qt::AlignLeft);
    setTabOrder(txtメモ, templates_);
    setTabOrder(templates_, nextStep_->first());
    setTabOrder(nextStep_->first(), nextStep_->last());
    connect(nextStep_, &NextStepPanel::edited, this, [this] { entryEdited_ = true; });
    connect(templates_, &MemoTemplateButton::inserted, this, [this] { entryEdited_ = true; });
    entry->setColumnStretch(1, 1);

    confirmation_ = new ConfirmationPanel(this, dataDbPath);
    entry->addWidget(confirmation_, row + 1, 1);
    connect(confirmation_, &ConfirmationPanel::confirmed, this, [this] { emit confirmed(); });
}

void EntryPanel::ReadNippo() {
    emit busy(QStringLiteral("読込中です･･･"));
    const std::optional<model::Report> found =
        model::Reports::read(session_.dataDbPath, txt日付->date(), cmb顧客名->Text(), cmb担当->Text());
    if (!found) {
        txtタイトル->setText(QString());
        txtメモ->setText(QString());
        confirmation_->showReport(std::nullopt);
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
        confirmation_->showReport(model::ReportKey{r.day, r.customer, r.staff}, r.title, r.memo);
        nextStep_->showStep(model::NextSteps::of(session_.dataDbPath, {r.day, r.customer, r.staff}));
    }
    entryEdited_ = false;
    emit idle();
    txtメモ->SetFocus();
}

bool EntryPanel::CheckNippo() {
    auto missing = [](QWidget *focus) {
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
        forms::interaction().messageBox(window(), problem, forms::mb::OK | forms::mb::Exclamation, forms::programTitle());
        b.box->setFocus();
        return false;
    }
    if (const QString why = model::NextSteps::problem(txt日付->date(), nextStep_->step()); !why.isEmpty()) {
        forms::interaction().messageBox(window(), why, forms::mb::OK | forms::mb::Exclamation, forms::programTitle());
        nextStep_->first()->setFocus();
        return false;
    }
    return true;
}

bool EntryPanel::EntryNippo(bool confirm) {
    if (confirm && !MSG::ShowMessage(QStringLiteral("登録"), QStringLiteral("確認"), QStringLiteral("営業日報")))
        return false;
    emit busy(QStringLiteral("登録しています････"));

    // The report, its customer and its staff member are written together;
    // the settings remember them for the next start.
    model::Report report;
    report.day = txt日付->date();
    report.customer = cmb顧客名->Text();
    report.reading = txtふりがな->Text();
    report.title = txtタイトル->Text();
    report.staff = cmb担当->Text();
    report.memo = txtメモ->Text();
    model::Session session = session_;
    model::Reports::Notes notes;
    const Error error = model::Reports::enter(session, report, &notes, nextStep_->step());
    emit idle();
    if (!error.ok()) {
        emit failed(error, forms::mb::Critical);
        return false;
    }
    session_.env = session.env;
    entryEdited_ = false;

    MSG::ShowMessage(QStringLiteral("登録"), QStringLiteral("完了"), QStringLiteral("営業日報"));
    // A staff name already in the code table is the usual case; a full table
    // or a failed settings write still leaves the report registered, and is
    // told.
    for (const Error &e : {notes.codeName, notes.remembered}) {
        if (!e.ok() && e.code() != Error::Code::AlreadyPresent) emit failed(e, forms::mb::Exclamation);
    }

    emit registered();
    forms::DoEvents();
    cmb顧客名->setFocus();
    return true;
}

bool EntryPanel::keepTypedEntry() {
    if (!entryEdited_) return true;
    const int answer = forms::interaction().messageBox(
        window(), QStringLiteral("入力したタイトル・メモが登録されていません。\n登録しますか。\n\n"
                                 "「いいえ」で入力した内容を破棄します。"),
        forms::mb::YesNoCancel | forms::mb::Question, forms::programTitle());
    if (answer == forms::mb::IdNo) {
        entryEdited_ = false;
        return true;
    }
    if (answer != forms::mb::IdYes) return false;
    return CheckNippo() && EntryNippo(false);
}

bool EntryPanel::DeleteNippo() {
    if (cmb顧客名->Text().isEmpty() || cmb担当->Text().isEmpty() || txt日付->Value().isNull()) return false;
    // The report is kept for a while, so "元に戻す" can put it back.
    const model::ReportKey key{txt日付->date(), cmb顧客名->Text(), cmb担当->Text()};
    const Error error = model::DeletedReports(session_.dataDbPath)
                            .remove({key}, QStringLiteral("%1の%2 (%3)")
                                               .arg(key.day.toString(QStringLiteral("yyyy/MM/dd")), key.customer, key.staff));
    if (!error.ok()) {
        emit failed(error, forms::mb::Critical);
        return false;
    }
    emit deleted();
    return true;
}

void EntryPanel::ReadLocalEnv() {
    if (!session_.env.担当.isEmpty()) cmb担当->setText(session_.env.担当);
    if (!session_.env.顧客名.isEmpty()) cmb顧客名->setText(session_.env.顧客名);
    if (!session_.env.ふりがな.isEmpty()) txtふりがな->setText(session_.env.ふりがな);
}

void EntryPanel::blankTexts() {
    txtタイトル->setText(QString());
    txtふりがな->setText(QString());
    txtメモ->setText(QString());
    entryEdited_ = false;
    txt日付->setValue(QVariant());
}

void EntryPanel::blank() {
    blankTexts();
    cmb顧客名->setText(QString());
    cmb担当->setText(QString());
}

void EntryPanel::clearReport() {
    txtタイトル->setText(QString());
    txtメモ->setText(QString());
    confirmation_->showReport(std::nullopt);
    nextStep_->clear();
}

// The date box and its frame are wider for an era date.
void EntryPanel::applyDateStyle(const QString &eraMode) {
    const bool era = IsEraMode(eraMode);
    txt日付->setInputFormat(DayFormatFor(eraMode));
    txt日付->setDisplayFormat(DayFormatFor(eraMode));
    txt日付->setMonthFormat(MonthFormatFor(eraMode));
    ImFrame3D3->setWidthTwips(era ? 3075 : 2775);
    txt日付->setWidthTwips(era ? 2340 : 2040);
    nextStep_->applyDateStyle(DayFormatFor(eraMode), MonthFormatFor(eraMode));
}

void EntryPanel::setStaffNames(const QStringList &names) {
    const QString typed = cmb担当->Text();
    cmb担当->Clear();
    for (const QString &name : names) cmb担当->AddItem(name);
    cmb担当->setText(typed);
}

void EntryPanel::setCustomerNames(const QStringList &names) {
    const QString typed = cmb顧客名->Text();
    cmb顧客名->Clear();
    for (const QString &name : names) cmb顧客名->AddItem(name);
    cmb顧客名->setText(typed);
}

void EntryPanel::showTemplates() { templates_->showMenu(); }

QDate EntryPanel::day() const { return txt日付->date(); }
QString EntryPanel::dayText() const { return txt日付->Text(); }
QString EntryPanel::staff() const { return cmb担当->Text(); }
QString EntryPanel::customer() const { return cmb顧客名->Text(); }
void EntryPanel::setDay(const QVariant &day) { txt日付->setValue(day); }
void EntryPanel::setStaff(const QString &name) { cmb担当->setText(name); }
void EntryPanel::setCustomer(const QString &name) { cmb顧客名->setText(name); }
void EntryPanel::setReading(const QString &reading) { txtふりがな->setText(reading); }

}  // namespace tqen
