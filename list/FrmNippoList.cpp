#include "list/FrmNippoList.h"

#include "core/DeletionUndo.h"
#include "platform/forms/FormStack.h"
#include "history/FrmKarte.h"
#include "messages/Msg.h"
#include "model/CodeTable.h"
#include "model/Customers.h"
#include "model/NextSteps.h"
#include "model/ReportList.h"
#include "model/Values.h"
#include "platform/dates/DateFormat.h"
#include "platform/forms/Accessible.h"
#include "platform/forms/Anchors.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/DataGrid.h"
#include "platform/forms/DateBox.h"
#include "platform/forms/FramedPanel.h"
#include "platform/forms/Interaction.h"
#include "platform/forms/KeyPreview.h"
#include "platform/forms/Twips.h"
#include "platform/text/Csv.h"
#include "reports/Rpt日報一覧.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <utility>

namespace tqen {

using forms::pixels;

namespace {

const QString kFormName = QStringLiteral("FrmNippoList");
const QString kMainScreen = QStringLiteral("TqenMain");

// Where the controls sit, in twips of their parent (the conditions inside
// their frame). The date boxes, the "～" and the frame change with the date
// style (FormInit).
constexpr forms::TwipPlace kPlaces[] = {
    {"ImFrame3D3", 120, 120, 5190, 1000},
    {"lbl期間", 120, 160, 600, 300},
    {"txt開始", 750, 100, 2010, 380},
    {"lblから", 2800, 160, 300, 300},
    {"txt終了", 3100, 100, 2010, 380},
    {"lbl担当", 120, 580, 600, 300},
    {"cmb担当", 750, 530, 1800, 380},
    {"lbl顧客名", 2650, 580, 700, 300},
    {"cmb顧客名", 3350, 530, 1740, 380},
    {"cmd読込", 6200, 150, 1200, 420},
    {"cmdクリア", 6200, 640, 1200, 420},
    {"cmdHint", 10080, 150, 1200, 420},
    {"Grid日報一覧", 120, 1250, 11160, 5950},
    {"cmd削除", 120, 7400, 1200, 480},
    {"cmd印刷", 1440, 7400, 1200, 480},
    {"cmdCSV出力", 2760, 7400, 1400, 480},
    {"cmd日報", 4280, 7400, 1200, 480},
    {"cmd元に戻す", 5600, 7400, 1400, 480},
    {"cmd一括確認", 7120, 7400, 1400, 480},
    {"chk未確認のみ", 7520, 200, 2000, 340},
    {"cmdカルテ", 8640, 7400, 1200, 480},
    {"cmd閉じる", 10080, 7400, 1200, 480},
    {"CnMsg", 3900, 3600, 3600, 800},
    {"Cn印刷選択", 2700, 3300, 6000, 1300},
};
constexpr int kFormWidth = 11400, kFormHeight = 8100;

void place(QWidget *w) { forms::placeByName(w, kPlaces); }

QPushButton *button(const QString &name, const QString &caption, const QString &tip, QWidget *parent) {
    QPushButton *b = forms::button(parent, name, caption, QString(), tip);
    b->setAccessibleDescription(tip);
    return b;
}

QLabel *label(const QString &name, const QString &text, QWidget *field, QWidget *parent) {
    QLabel *l = field ? forms::fieldLabel(text, field, parent) : new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

}  // namespace

FrmNippoList::FrmNippoList(model::Session &session) : forms::Form(kFormName), session_(session) {
    buildForm();
    new forms::KeyPreview(this, [this](QKeyEvent *e) { return formKey(e); });
    connect(this, &forms::Form::activated, this, &FrmNippoList::Form_Activate);
}

FrmNippoList::~FrmNippoList() = default;

void FrmNippoList::buildForm() {
    setWindowTitle(QStringLiteral("日報一覧"));
    buildConditions();

    dat日報一覧 = new forms::DataControl(QStringLiteral("dat日報一覧"), this);
    states_.setLines(dat日報一覧);
    Grid日報一覧 = new forms::DataGrid(QStringLiteral("Grid日報一覧"), dat日報一覧,
                                   {{QStringLiteral("チェック"), QStringLiteral("チェック"), true, false, {}, 64},
                                    {QStringLiteral("日付"), QStringLiteral("日付"), false, true, {}, 100},
                                    {QStringLiteral("顧客名"), QStringLiteral("顧客名"), false, true, {}, 220},
                                    {QStringLiteral("タイトル"), QStringLiteral("タイトル"), false, true, {}, 230},
                                    {QStringLiteral("担当"), QStringLiteral("担当"), false, true, {}, 100},
                                    {QString(), QStringLiteral("確認"), false, true, {}, 120, false,
                                     [this](int row) { return QVariant(states_.confirmationText(row)); }},
                                    {QString(), QStringLiteral("次回予定"), false, true, {}, 200, false,
                                     [this](int row) { return QVariant(states_.nextStepText(row)); }}},
                                   this);
    Grid日報一覧->setAccessibleName(QStringLiteral("日報一覧"));
    Grid日報一覧->setAccessibleDescription(QStringLiteral("スペースキーで行のチェックを切り替えます"));
    connect(Grid日報一覧, &forms::DataGrid::KeyDown, this, &FrmNippoList::grid_KeyDown);
    // The grid scrolls towards lines not read yet: the period's lines are
    // all read first.
    connect(dat日報一覧, &forms::DataControl::aboutToFetch, this, [this] { CompleteList(); });
    // The 確認 column reads the confirmations of the days as their lines come,
    // once the form is idle: after a new read, once the first screen is
    // shown; after lines fetched, once the grid stops fetching (a long scroll
    // reads the days it passed in one go). Until then it is blank, never
    // stale.
    connect(dat日報一覧, &forms::DataControl::refreshed, this, [this] {
        states_.clear();
        QTimer::singleShot(0, this, [this] { readConfirmations(false); });
    });
    connect(dat日報一覧, &forms::DataControl::appended, this,
            [this] { QTimer::singleShot(0, this, [this] { readConfirmations(false); }); });

    buildButtons();
    // The history of the current line's customer, across all staff and days.
    cmdカルテ = button(QStringLiteral("cmdカルテ"), QStringLiteral("カルテ"),
                       QStringLiteral("選んだ行の顧客の日報を全て表示します (顧客カルテ)"), this);
    connect(cmdカルテ, &QPushButton::clicked, this, [this] { FrmKarte::Open(session_, Grid日報一覧->ColumnText(ColCustomer)); });
    buildPanels();
    for (QWidget *w : findChildren<QWidget *>()) place(w);
    LMsg->setGeometry(0, 0, CnMsg->width(), CnMsg->height());
    // The title takes the grid's width, so no row needs a scroll bar
    // sideways; a larger window gives the grid the room.
    Grid日報一覧->horizontalHeader()->setSectionResizeMode(3, QHeaderView::Stretch);
    using A = forms::Anchors;
    new A(this, QSize(pixels(kFormWidth), pixels(kFormHeight)),
          {{Grid日報一覧, A::GrowWidth | A::GrowHeight}, {cmdHint, A::MoveRight}, {cmd削除, A::MoveDown},
           {cmd印刷, A::MoveDown}, {cmdCSV出力, A::MoveDown}, {cmd日報, A::MoveDown}, {cmdカルテ, A::MoveDown},
           {cmd閉じる, A::MoveDown | A::MoveRight}, {CnMsg, A::MoveRight}, {Cn印刷選択, A::MoveRight},
           {cmd一括確認, A::MoveDown}});

    const QList<QWidget *> order = {txt開始, txt終了, cmb担当, cmb顧客名, cmd読込, chk未確認のみ, cmdクリア, Grid日報一覧,
                                    cmd削除, cmd印刷, cmdCSV出力, cmd日報, cmd元に戻す, cmd一括確認, cmd閉じる, cmdHint};
    for (qsizetype i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
    setTabOrder(cmd一括確認, cmdカルテ);
    setTabOrder(cmdカルテ, cmd閉じる);
}

void FrmNippoList::buildConditions() {
    ImFrame3D3 = new forms::FramedPanel(QStringLiteral("ImFrame3D3"), this);
    txt開始 = new forms::DateBox(QStringLiteral("txt開始"), ImFrame3D3);
    txt終了 = new forms::DateBox(QStringLiteral("txt終了"), ImFrame3D3);
    cmb担当 = new forms::ComboBox(QStringLiteral("cmb担当"), ImFrame3D3);
    cmb顧客名 = new forms::ComboBox(QStringLiteral("cmb顧客名"), ImFrame3D3);
    lbl期間 = label(QStringLiteral("lbl期間"), QStringLiteral("期間"), txt開始, ImFrame3D3);
    lblから = label(QStringLiteral("lblから"), QStringLiteral("～"), nullptr, ImFrame3D3);
    lblから->setAlignment(Qt::AlignCenter);
    lbl担当 = label(QStringLiteral("lbl担当"), QStringLiteral("担当"), cmb担当, ImFrame3D3);
    lbl顧客名 = label(QStringLiteral("lbl顧客名"), QStringLiteral("顧客名"), cmb顧客名, ImFrame3D3);
    forms::nameField(txt開始, QStringLiteral("期間の開始日"));
    forms::nameField(txt終了, QStringLiteral("期間の終了日"));
    // Enter goes from field to field and reads the list from the last one.
    for (QWidget *w : {static_cast<QWidget *>(txt開始->editor()), static_cast<QWidget *>(txt終了->editor()),
                       static_cast<QWidget *>(cmb担当), static_cast<QWidget *>(cmb顧客名)})
        w->installEventFilter(this);
    if (cmb担当->lineEdit()) cmb担当->lineEdit()->installEventFilter(this);
    if (cmb顧客名->lineEdit()) cmb顧客名->lineEdit()->installEventFilter(this);
}

void FrmNippoList::buildButtons() {
    const struct Def {
        QPushButton *FrmNippoList::*member;
        const char *name, *caption, *tip;
        void (FrmNippoList::*click)();
    } defs[] = {
        {&FrmNippoList::cmd読込, "cmd読込", "読込", "一覧を読み込みます", &FrmNippoList::cmd読込_Click},
        {&FrmNippoList::cmdクリア, "cmdクリア", "クリア", "この画面を白紙にします", &FrmNippoList::cmdクリア_Click},
        {&FrmNippoList::cmdHint, "cmdHint", "ヒント", "使い方のヒント", &FrmNippoList::cmdHint_Click},
        {&FrmNippoList::cmd削除, "cmd削除", "削除", "指定された日報を削除します", &FrmNippoList::cmd削除_Click},
        {&FrmNippoList::cmd印刷, "cmd印刷", "印刷", "一覧を印刷します", &FrmNippoList::cmd印刷_Click},
        {&FrmNippoList::cmdCSV出力, "cmdCSV出力", "CSV出力", "一覧を CSV ファイルに書き出します",
         &FrmNippoList::cmdCSV出力_Click},
        {&FrmNippoList::cmd日報, "cmd日報", "日報", "営業日報を開きます", &FrmNippoList::cmd日報_Click},
        {&FrmNippoList::cmd元に戻す, "cmd元に戻す", "元に戻す", "最後に削除した営業日報を元に戻します (Ctrl+Z)",
         &FrmNippoList::cmd元に戻す_Click},
        {&FrmNippoList::cmd一括確認, "cmd一括確認", "一括確認", "チェックした日報をまとめて確認済にします",
         &FrmNippoList::cmd一括確認_Click},
        {&FrmNippoList::cmd閉じる, "cmd閉じる", "閉じる", "この画面を閉じます", &FrmNippoList::cmd閉じる_Click},
    };
    for (const Def &d : defs) {
        QPushButton *b = button(QString::fromUtf8(d.name), QString::fromUtf8(d.caption), QString::fromUtf8(d.tip), this);
        b->setAutoDefault(true);   // Enter presses the button that has the focus
        this->*d.member = b;
        connect(b, &QPushButton::clicked, this, d.click);
    }
    cmd元に戻す->setShortcut(QKeySequence::Undo);
    cmd元に戻す->setEnabled(false);
    // Beside the read button: the next read leaves out the lines whose
    // report is confirmed as it is.
    chk未確認のみ = new QCheckBox(QStringLiteral("未確認のみ"), this);
    chk未確認のみ->setObjectName(QStringLiteral("chk未確認のみ"));
    chk未確認のみ->setAccessibleName(QStringLiteral("未確認のみ表示"));
    chk未確認のみ->setToolTip(QStringLiteral("確認済の日報を一覧に出しません (確認後に変更されたものは出します)"));
    connect(chk未確認のみ, &QCheckBox::toggled, this, [this] {
        if (listed.first.isValid()) ReadList();
    });
}

void FrmNippoList::buildPanels() {
    CnMsg = new forms::FramedPanel(QStringLiteral("CnMsg"), this, true);
    LMsg = new QLabel(CnMsg);
    LMsg->setObjectName(QStringLiteral("LMsg"));
    LMsg->setAlignment(Qt::AlignCenter);
    CnMsg->hide();

    Cn印刷選択 = new forms::FramedPanel(QStringLiteral("Cn印刷選択"), this, true);
    Cn印刷選択->setAccessibleName(QStringLiteral("印刷の選択"));
    auto *title = new QLabel(QStringLiteral("日報一覧の印刷"), Cn印刷選択);
    title->setObjectName(QStringLiteral("lbl印刷選択"));
    title->setGeometry(pixels(200), pixels(120), pixels(5600), pixels(300));
    const char *captions[] = {"印刷開始", "印刷プレビュー", "キャンセル"};
    const char *tips[] = {"プリンタを選んで印刷します", "印刷する一覧を画面で確かめます (PDF にも保存できます)",
                          "印刷しません"};
    QWidget *previous = nullptr;
    for (int i = 0; i < 3; ++i) {
        QPushButton *b = button(QStringLiteral("cmd印刷選択_%1").arg(i), QString::fromUtf8(captions[i]),
                                QString::fromUtf8(tips[i]), Cn印刷選択);
        b->setAutoDefault(true);
        b->setGeometry(pixels(200 + i * 1900), pixels(560), pixels(1700), pixels(480));
        connect(b, &QPushButton::clicked, this, [this, i] { cmd印刷選択_Click(i); });
        if (previous) setTabOrder(previous, b);
        previous = b;
        cmd印刷選択 << b;
    }
    Cn印刷選択->hide();
}

// --- the procedures ---------------------------------------------------------

void FrmNippoList::Form_Load() {
    FormInit();
    BlankList();
    SetComb();
}

void FrmNippoList::FormInit() {
    dat日報一覧->DatabaseName = session_.workDbPath;
    dat日報一覧->RecordSource = QStringLiteral("w日報一覧");
    dat日報一覧->FetchSize = ScreenLines;
    const bool era = IsEraMode(session_.env.年号);
    for (forms::DateBox *box : {txt開始, txt終了}) {
        box->setInputFormat(DayFormatFor(session_.env.年号));
        box->setDisplayFormat(DayFormatFor(session_.env.年号));
        box->setMonthFormat(MonthFormatFor(session_.env.年号));
        box->setWidthTwips(era ? 2370 : 2010);
    }
    txt終了->setLeftTwips(era ? 3460 : 3100);
    lblから->move(pixels(era ? 3150 : 2800), lblから->y());
    ImFrame3D3->setWidthTwips(era ? 5910 : 5190);
    // The customer box reaches to the frame's right edge.
    cmb顧客名->setFixedWidth(ImFrame3D3->width() - cmb顧客名->x() - pixels(100));
    Grid日報一覧->setNumberFormat(ColDate, era ? QStringLiteral("gee/mm/dd") : QStringLiteral("yy/mm/dd"));
}

void FrmNippoList::Form_Activate() {
    // The main screen or the maintenance form may have deleted or put back reports.
    ShowUndo();
    if (!handOver_.day.isValid()) return;
    const model::HandOver report = std::exchange(handOver_, {});
    txt開始->setValue(report.day);
    txt終了->setValue(report.day);
    cmb担当->setText(report.staff);
    cmb顧客名->setText(report.customer.isNull() ? QString() : report.customer.toString());
    ReadList();
}

void FrmNippoList::SetComb() {
    cmb担当->Clear();
    for (const QString &name : model::CodeTable::names(session_.dataDbPath, QStringLiteral("担当"))) cmb担当->AddItem(name);
    cmb顧客名->Clear();
    for (const QString &name : model::Customers::names(session_.dataDbPath, QString())) cmb顧客名->AddItem(name);
}

void FrmNippoList::BlankList() {
    txt開始->setValue(QVariant());
    txt終了->setValue(QVariant());
    cmb担当->setText(QString());
    cmb顧客名->setText(QString());
    pending = {};
    listed = {};
    model::ReportList::clear(session_.workDbPath);
    dat日報一覧->Refresh();
}

Error FrmNippoList::ReadList() {
    showMessage(QStringLiteral("読込中です････"));
    if (txt開始->Value().isNull()) txt開始->setValue(MSG::FirstDayOfMonth());
    if (txt終了->Value().isNull()) txt終了->setValue(MSG::LastDayOfMonth());
    pending = {};
    // The newest lines, a screen of them, come first; the older days of
    // the period follow.
    model::ReportList::Period period{txt開始->date(), txt終了->date(), cmb担当->Text(), cmb顧客名->Text()};
    listed = period;
    const bool unconfirmedOnly = chk未確認のみ->isChecked();
    // Left unconfirmed only, the period is read whole and the confirmed
    // lines taken out.
    const QDate split =
        unconfirmedOnly ? QDate() : model::ReportList::firstScreenStart(session_.dataDbPath, period, ScreenLines);
    if (split.isValid() && split > period.first) {
        pending = period;
        pending->last = split.addDays(-1);
        period.first = split;
    }
    Error error = model::ReportList::readLines(session_.workDbPath, session_.dataDbPath, period, true);
    if (error.ok() && unconfirmedOnly) {
        error = model::ReportList::dropConfirmed(session_.workDbPath, session_.dataDbPath, period);
        if (!error.ok()) model::ReportList::clear(session_.workDbPath);
    }
    if (!error.ok()) pending = {};
    if (pending) QTimer::singleShot(0, this, [this] { CompleteList(); });
    hideMessage();
    dat日報一覧->Refresh();
    if (error.ok() && !dat日報一覧->lastError().ok()) error = dat日報一覧->lastError();
    report(error);
    return error;
}

Error FrmNippoList::ShowPeriod(const model::ReportList::Period &period) {
    txt開始->setValue(period.first);
    txt終了->setValue(period.last);
    cmb担当->setText(period.staff);
    cmb顧客名->setText(period.customer);
    return ReadList();
}

Error FrmNippoList::CompleteList() {
    if (!pending) return {};
    const model::ReportList::Period rest = *std::exchange(pending, std::nullopt);
    const Error error = model::ReportList::readLines(session_.workDbPath, session_.dataDbPath, rest, false);
    if (!error.ok()) {
        // The list was emptied rather than left short.
        dat日報一覧->Refresh();
        report(error);
    }
    return error;
}

Error FrmNippoList::DeleteLine() {
    Grid日報一覧->Update();
    const QString subject = QStringLiteral("指定された営業日報");
    if (!MSG::ShowMessage(QStringLiteral("削除"), QStringLiteral("伝票確認2"), subject))
        return Error(Error::Code::Cancelled, QString());
    // The list is whole before reports go: it is read again from where it
    // stood in the period.
    if (Error e = CompleteList(); !e.ok()) return e;
    showMessage(QStringLiteral("削除しています････"));
    // Every report of the ticked lines goes, or none does; they are kept
    // for a while as one deletion, which "元に戻す" puts back.
    qsizetype lines = 0;
    const Error e = model::ReportList::deleteTicked(session_.workDbPath, session_.dataDbPath, &lines);
    hideMessage();
    if (lines == 0) {
        report(e);
        return e;
    }
    MSG::ShowMessage(QStringLiteral("削除"), QStringLiteral("伝票完了2"), subject);
    dat日報一覧->Refresh();
    ShowUndo();
    report(e);
    return e;
}

Error FrmNippoList::ConfirmLines() {
    Grid日報一覧->Update();
    if (Error e = CompleteList(); !e.ok()) return e;
    Error error;
    const qsizetype count = model::ReportList::ticked(session_.workDbPath, &error).size();
    if (!error.ok()) {
        report(error);
        return error;
    }
    if (count == 0) {
        forms::interaction().messageBox(this, QStringLiteral("確認する日報の行にチェックを付けてください。"),
                                        forms::mb::OK | forms::mb::Information, forms::programTitle());
        return Error(Error::Code::NotFound, QString());
    }
    const QString confirmer = model::Confirmations::confirmer();
    if (confirmer.isEmpty()) {
        error = Error(Error::Code::BadInput,
                      QStringLiteral("確認者が選ばれていません。メイン画面の「確認」で確認者を選んでから、もう一度どうぞ。"));
        report(error);
        return error;
    }
    // One question, with an optional comment for every report confirmed; a
    // comment refused (too long) is asked again as it was typed.
    const QString question =
        QStringLiteral("チェックした %1 行の営業日報を、%2 の確認済にします。よろしいですか？").arg(count).arg(confirmer);
    QString comment;
    for (;;) {
        if (!forms::interaction().askWithText(this, question, QStringLiteral("コメント"), forms::programTitle(), &comment))
            return Error(Error::Code::Cancelled, QString());
        const Error refused = model::Confirmations::checkComment(comment);
        if (refused.ok()) break;
        forms::showError(this, refused, forms::mb::Exclamation);
    }
    showMessage(QStringLiteral("確認しています････"));
    qsizetype lines = 0;
    error = model::ReportList::confirmTicked(session_, confirmer, comment, &lines);
    hideMessage();
    if (!error.ok()) {
        // Nothing was confirmed: the ticks stay for another try.
        report(error);
        return error;
    }
    // The list shows the new states; left unconfirmed only, they leave it.
    if (chk未確認のみ->isChecked()) return ReadList();
    readConfirmations(true);
    forms::interaction().messageBox(this, QStringLiteral("%1 件の営業日報を確認済にしました。").arg(lines),
                                    forms::mb::OK | forms::mb::Information, forms::programTitle());
    return {};
}

void FrmNippoList::readConfirmations(bool restart) {
    if (restart) states_.clear();
    bool read = false;
    // The columns stay empty for days not read; the list itself is right.
    if (const Error error = states_.readFor(listed, &read); !error.ok()) report(error);
    if (read) Grid日報一覧->viewport()->update();
}

void FrmNippoList::cmd一括確認_Click() { ConfirmLines(); }

void FrmNippoList::ShowUndo() { cmd元に戻す->setEnabled(LastDeletion(session_.dataDbPath).has_value()); }

void FrmNippoList::cmd元に戻す_Click() {
    const std::optional<model::DeletedReports::Deletion> last = LastDeletion(session_.dataDbPath);
    if (last && UndoDeletion(this, session_.dataDbPath, *last).done) ReadList();
    ShowUndo();
}

Error FrmNippoList::ExportCsv(const QString &path, text::Encoding encoding) {
    Grid日報一覧->Update();
    if (Error e = CompleteList(); !e.ok()) return e;
    if (dat日報一覧->rowCount() == 0)
        return Error(Error::Code::NotFound, QStringLiteral("一覧に日報がないため、CSV ファイルは書き出していません。"));
    Error error;
    const QList<QStringList> records = model::ReportList::csvRecords(session_.workDbPath, session_.dataDbPath, &error);
    if (!error.ok()) return error;
    return text::writeCsv(path, records, encoding);
}

// --- buttons and keys -------------------------------------------------------

void FrmNippoList::showMessage(const QString &message) {
    LMsg->setText(message);
    CnMsg->showNow();
}

void FrmNippoList::hideMessage() { CnMsg->setPanelVisible(false); }

void FrmNippoList::report(const Error &error) { forms::showError(this, error, forms::mb::Exclamation); }

void FrmNippoList::cmd読込_Click() { ReadList(); }

void FrmNippoList::cmdクリア_Click() {
    BlankList();
    SetComb();
    cmb顧客名->setFocus();
}

void FrmNippoList::cmd削除_Click() { DeleteLine(); }

void FrmNippoList::cmd印刷_Click() {
    Cn印刷選択->setPanelVisible(true);
    cmd印刷選択.value(0)->setFocus();
}

void FrmNippoList::cmd印刷選択_Click(int index) {
    Cn印刷選択->hide();
    cmd印刷->setFocus();
    if (index != 0 && index != 1) return;
    if (!CompleteList().ok()) return;
    Rpt日報一覧 report(session_);
    Error read;
    report.setConfirmations(model::ReportList::confirmations(session_.dataDbPath, listed, true, &read));
    if (read.ok()) report.setNextSteps(model::NextSteps::ofReports(session_.dataDbPath, listed.first, listed.last, &read));
    if (!read.ok()) {
        this->report(read);
        return;
    }
    report.Run();
    if (!report.error().ok()) {
        this->report(report.error());
        return;
    }
    if (index == 1) {
        report.Show(this);
        return;
    }
    this->report(report.PrintReport(true, this));
}

void FrmNippoList::cmdCSV出力_Click() {
    if (dat日報一覧->rowCount() == 0) {
        forms::interaction().messageBox(this, QStringLiteral("一覧に日報がありません。先に読み込んでください。"),
                                        forms::mb::OK | forms::mb::Information, forms::programTitle());
        return;
    }
    forms::FileDialogRequest request;
    request.title = QStringLiteral("CSV出力");
    request.filter = QStringLiteral("CSV ファイル UTF-8|*.csv|CSV ファイル Shift-JIS|*.csv|");
    request.defaultName = QStringLiteral("日報一覧_%1-%2.csv")
                              .arg(txt開始->date().toString(QStringLiteral("yyyyMMdd")),
                                   txt終了->date().toString(QStringLiteral("yyyyMMdd")));
    if (!forms::SaveFileDialog(this, request) || request.chosenPath.isEmpty()) return;
    const QString path = request.chosenPath;
    // The encoding is the dialog's filter: UTF-8 for today's programs,
    // Shift-JIS for older ones.
    if (!forms::interaction().mayReplace(this, path, request.title)) return;
    const Error e = ExportCsv(path, request.filterIndex == 2 ? text::Encoding::Cp932 : text::Encoding::Utf8Bom);
    if (!e.ok()) {
        report(e);
        return;
    }
    forms::interaction().messageBox(this, QStringLiteral("CSV ファイルに書き出しました。\n") + path,
                                    forms::mb::OK | forms::mb::Information, forms::programTitle());
}

void FrmNippoList::cmd日報_Click() {
    Grid日報一覧->Update();
    if (!Grid日報一覧->ColumnText(ColCustomer).isEmpty()) {
        const QVariant staff = Grid日報一覧->Columns(ColStaff);
        const model::HandOver report{ToDate(Grid日報一覧->Columns(ColDate)), staff.isNull() ? QString() : staff.toString(),
                                     Grid日報一覧->ColumnText(ColCustomer)};
        if (session_.handOver) session_.handOver(report);
        // Back on this form, the list shows that day of that staff member.
        handOver_ = model::HandOver{report.day, report.staff, QVariant()};
    } else {
        if (session_.handOver) session_.handOver(model::HandOver{});
    }
    forms::FormStack(QStringLiteral("PUSH"), name());
    if (forms::Form *main = forms::findForm(kMainScreen)) {
        main->showNormal();
        main->raise();
        main->activateWindow();
    }
}

void FrmNippoList::cmd閉じる_Click() { unload(); }

void FrmNippoList::cmdHint_Click() { forms::interaction().shellOpen(session_.helpFolder + QStringLiteral("VoRadu6.htm")); }

bool FrmNippoList::formKey(QKeyEvent *e) {
    // F1 opens the form's help page.
    if (e->key() == Qt::Key_F1 && e->modifiers() == Qt::NoModifier) {
        cmdHint_Click();
        return true;
    }
    if (e->key() != Qt::Key_Escape || e->modifiers() != Qt::NoModifier) return false;
    // Escape closes an open panel first, then the form.
    if (Cn印刷選択->isVisible()) cmd印刷選択_Click(2);
    else cmd閉じる_Click();
    return true;
}

void FrmNippoList::grid_KeyDown(int key, Qt::KeyboardModifiers, bool *consumed) {
    // Space ticks or unticks the current line, in whichever column the
    // cursor stands.
    if (key != Qt::Key_Space || Grid日報一覧->Row() < 0) return;
    *consumed = true;
    Grid日報一覧->setColumnValue(ColTick, !Grid日報一覧->Columns(ColTick).toBool());
}

bool FrmNippoList::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::KeyPress) {
        const auto *k = static_cast<QKeyEvent *>(event);
        if ((k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) && k->modifiers() == Qt::NoModifier) {
            const bool customer = watched == cmb顧客名 || watched == cmb顧客名->lineEdit();
            // Leaving the field takes what was typed into it.
            focusNextChild();
            if (customer) cmd読込_Click();
            return true;
        }
    }
    return forms::Form::eventFilter(watched, event);
}

}  // namespace tqen
