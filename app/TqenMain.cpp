#include "app/TqenMain.h"

#include "app/ConfirmationPanel.h"

#include "app/CustomerIndexTab.h"
#include "app/DataFileCheck.h"
#include "app/MonthCalendar.h"
#include "app/NextStepPanel.h"
#include "app/OverviewLinks.h"
#include "app/PrintPanel.h"
#include "app/SearchTab.h"

#include "app/StartUp.h"
#include "platform/com/ControlHost.h"
#include "platform/files/Files.h"
#include "platform/forms/Accessible.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/DataGrid.h"
#include "platform/forms/DateBox.h"
#include "platform/forms/FramedPanel.h"
#include "platform/forms/Interaction.h"
#include "platform/forms/KeyPreview.h"
#include "platform/forms/TextBox.h"
#include "platform/forms/Twips.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace tqen {

using forms::pixels;

namespace {

QPushButton *button(const QString &name, const QString &caption, const QString &tip, QWidget *parent) {
    QPushButton *b = forms::button(parent, name, caption, QString(), tip);
    b->setMinimumHeight(32);
    return b;
}

// Places a child at a position given in twips.
void place(QWidget *w, int leftTwips, int topTwips) { w->move(pixels(leftTwips), pixels(topTwips)); }

}  // namespace

TqenMain::~TqenMain() = default;

TqenMain::TqenMain(const QString &applicationFolder)
    : forms::Form(QStringLiteral("TqenMain")),
      applicationFolder_(applicationFolder.isEmpty() ? files::applicationFolder() : applicationFolder) {
    buildForm();
    session_.handOver = [this](const model::HandOver &report) { handOver(report); };
    connect(this, &forms::Form::activated, this, &TqenMain::Form_Activate);
    new forms::KeyPreview(this, [this](QKeyEvent *e) { return formKey(e); });
}

// F1 opens the help page of the tab in front; Ctrl+F goes to the search.
bool TqenMain::formKey(QKeyEvent *e) {
    if (e->key() == Qt::Key_F1 && e->modifiers() == Qt::NoModifier) {
        if (SSTab1->currentWidget()->objectName() == QStringLiteral("tab顧客インデックス")) Command1_Click();
        else cmdHint_Click();
        return true;
    }
    if (e->matches(QKeySequence::Find)) {
        SSTab1->setCurrentWidget(searchTab_);
        searchTab_->focusTerm(true);
        return true;
    }
    return false;
}


void TqenMain::buildForm() {
    setWindowTitle(forms::programTitle());
    // The designed size; the layouts let the window shrink to what the
    // controls need (a notebook's screen) and grow with the calendar's cells.
    resize(1024, 740);

    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(10, 10, 10, 10);
    root->setSpacing(8);
    auto *body = new QHBoxLayout;
    body->setSpacing(12);
    root->addLayout(body, 1);

    // The month calendar on the left.
    calendarArea = new QWidget(this);
    calendarArea->setObjectName(QStringLiteral("calendarArea"));
    calendarArea->setMinimumWidth(440);
    // At the designed width the calendar keeps its 440 pixels; a wider
    // window widens it with the tabs.
    body->addWidget(calendarArea, 2);
    buildCalendar();

    // The tabs on the right: the customer index and the report entry.
    SSTab1 = new QTabWidget(this);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    SSTab1->setAccessibleName(QStringLiteral("顧客インデックスと営業日報"));
    body->addWidget(SSTab1, 3);
    indexTab_ = new CustomerIndexTab;
    indexTab_->setObjectName(QStringLiteral("tab顧客インデックス"));
    SSTab1->addTab(indexTab_, QStringLiteral("顧客インデックス"));
    connect(indexTab_, &CustomerIndexTab::kanaClicked, this, &TqenMain::cmd50_Click);
    connect(indexTab_, &CustomerIndexTab::chooseClicked, this, &TqenMain::cmd_Enter_Click);
    connect(indexTab_, &CustomerIndexTab::helpClicked, this, &TqenMain::Command1_Click);
    auto *entryTab = new QWidget;
    entryTab->setObjectName(QStringLiteral("tab営業日報"));
    SSTab1->addTab(entryTab, QStringLiteral("営業日報"));
    SSTab1->setCurrentIndex(1);
    buildEntryTab(entryTab);
    buildSearchTab();
    buildNextStepsTab();

    auto *bar = new QHBoxLayout;
    bar->setSpacing(6);
    root->addLayout(bar);
    buildButtonBar(bar);
    // A customer's history from the index and the search; the figures.
    QPushButton *figures = linkOverview(this, session_, indexTab_, searchTab_);
    bar->insertWidget(bar->indexOf(cmdHint), figures);
    setTabOrder(Command11, figures);
    buildPrintPanel();
    buildProgressPanels();
}

// The entry: a label beside each box, one row each.
void TqenMain::buildEntryTab(QWidget *tab) {
    auto *entry = new QGridLayout(tab);
    entry->setContentsMargins(12, 12, 12, 12);
    entry->setHorizontalSpacing(10);
    entry->setVerticalSpacing(8);

    // The date box sits in its frame, 120 × 60 twips in.
    ImFrame3D3 = new forms::FramedPanel(QStringLiteral("ImFrame3D3"), tab);
    ImFrame3D3->setFixedHeight(pixels(480));
    txt日付 = new forms::DateBox(QStringLiteral("txt日付"), ImFrame3D3);
    txt日付->setFixedHeight(pixels(360));
    place(txt日付, 120, 60);
    cmb担当 = new forms::ComboBox(QStringLiteral("cmb担当"), tab);
    cmb顧客名 = new forms::ComboBox(QStringLiteral("cmb顧客名"), tab);
    txtふりがな = new forms::TextBox(QStringLiteral("txtふりがな"), false, tab);
    txtタイトル = new forms::TextBox(QStringLiteral("txtタイトル"), false, tab);
    txtメモ = new forms::TextBox(QStringLiteral("txtメモ"), true, tab);
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
        entry->addWidget(forms::fieldLabel(QString::fromUtf8(r.label), r.labelled, tab), row, 0,
                         memo ? Qt::AlignTop : Qt::Alignment());
        entry->addWidget(r.placed, row, 1, r.placed == ImFrame3D3 ? Qt::AlignLeft : Qt::Alignment());
        if (previous) setTabOrder(previous, r.labelled);
        previous = r.labelled;
        ++row;
    }
    entry->setRowStretch(row - 1, 1);
    buildNextSteps(entry, row);
    entry->setColumnStretch(1, 1);
    // The report's confirmation goes under the next step.
    confirmation_ = new ConfirmationPanel(tab, [this] { return session_.dataDbPath; });
    entry->addWidget(confirmation_, row + 1, 1);
    connect(confirmation_, &ConfirmationPanel::confirmed, this, [this] { markConfirmedDays(); });
}

// The button bar: the report buttons from the left, "閉じる" on the right.
void TqenMain::buildButtonBar(QBoxLayout *bar) {
    // Each button has an Alt key, shown underlined after its caption as
    // "登録(S)"; its accessible name stays the caption. "元に戻す" has
    // Ctrl+Z instead.
    const struct Def {
        QPushButton *TqenMain::*member;
        const char *name, *text, *tip;
        char key;
        void (TqenMain::*click)();
    } defs[] = {
        {&TqenMain::cmd登録, "cmd登録", "登録", "メモを登録します", 'S', &TqenMain::cmd登録_Click},
        {&TqenMain::cmd削除, "cmd削除", "削除", "その日付のメモを削除します", 'D', &TqenMain::cmd削除_Click},
        {&TqenMain::cmd元に戻す, "cmd元に戻す", "元に戻す", "最後に削除した営業日報を元に戻します (Ctrl+Z)",
         '\0', &TqenMain::cmd元に戻す_Click},
        {&TqenMain::cmdクリア, "cmdクリア", "クリア", "この画面を白紙にします", 'C', &TqenMain::cmdクリア_Click},
        {&TqenMain::cmd読込, "cmd読込", "読込", "", 'L', &TqenMain::cmd読込_Click},
        {&TqenMain::cmd印刷, "cmd印刷", "印刷", "日報を印刷します", 'P', &TqenMain::cmd印刷_Click},
        {&TqenMain::Command3, "Command3", "一覧", "", 'I', &TqenMain::Command3_Click},
        {&TqenMain::Command5, "Command5", "コード表", "", 'T', &TqenMain::Command5_Click},
        {&TqenMain::Command11, "Command11", "保守", "", 'M', &TqenMain::Command11_Click},
        {&TqenMain::cmdHint, "cmdHint", "ヘルプ", "", 'H', &TqenMain::cmdHint_Click},
        {&TqenMain::cmd提出状況, "cmd提出状況", "提出状況", "担当ごとの日報の提出状況を表示します", 'J',
         &TqenMain::cmd提出状況_Click},
        {&TqenMain::cmd閉じる, "cmd閉じる", "閉じる", "ソフトを終了します", 'X', nullptr},
    };
    for (const Def &d : defs) {
        QPushButton *b = button(QString::fromUtf8(d.name), QString::fromUtf8(d.text), QString::fromUtf8(d.tip), this);
        if (d.key) b->setText(QStringLiteral("%1(&%2)").arg(QString::fromUtf8(d.text), QChar::fromLatin1(d.key)));
        this->*d.member = b;
        if (b == cmd閉じる) bar->addStretch(1);
        bar->addWidget(b);
        // "閉じる" alone is connected below.
        if (d.click) connect(b, &QPushButton::clicked, this, d.click);
    }
    // Ctrl+Z in a text box undoes the typing there; elsewhere the deletion.
    cmd元に戻す->setShortcut(QKeySequence::Undo);
    cmd元に戻す->setEnabled(false);
    connect(cmd閉じる, &QPushButton::clicked, this, [this] { close(); });
}

// The print conditions: a panel shown over the form, holding the range.
void TqenMain::buildPrintPanel() {
    Cn印刷条件 = new PrintPanel(this, session_);
    connect(Cn印刷条件, &PrintPanel::closed, this, [this] { cmd印刷->setFocus(); });
}

// The progress notes: "読込中です･･･" and the like, and "検索中です･･･"
// while the reference list fills.
void TqenMain::buildProgressPanels() {
    auto panel = [this](const QString &name, QLabel *&label) {
        auto *p = new forms::FramedPanel(name, this, true);
        p->setFixedSize(280, 60);
        label = new QLabel(p);
        label->setAlignment(Qt::AlignCenter);
        label->setGeometry(0, 0, 280, 60);
        p->hide();
        return p;
    };
    CnMsg = panel(QStringLiteral("CnMsg"), LMsg);
    LMsg->setObjectName(QStringLiteral("LMsg"));
    QLabel *searching = nullptr;
    Msg検索中 = panel(QStringLiteral("Msg検索中"), searching);
    searching->setText(QStringLiteral("検索中です･･･"));
}

void TqenMain::Form_Load() {
    // 1. The form is visible while the rest runs.
    show();
    forms::DoEvents();
    const StartUp start(this, applicationFolder_);
    // 2. Folders.
    start.chooseFolders(session_);
    // 3. The work database.
    StartUp::chooseWorkDatabase(session_);
    // 4. Settings.
    ReadDataEnv();
    StartUp::removeLeftovers(session_);
    // 5. The data database in use.
    StartUp::chooseDataDatabase(session_);
    StartUp::askServerPasswords();
    // A file the program cannot write keeps no index: its search folds every
    // report as it reads it, and the search tab says so. A damaged file is
    // not written at all. Whether it is damaged is found behind the screen;
    // the index is made once that is known.
    dataDamaged_ = {};
    if (start.checkDataDatabase(session_)) startDataFileCheck();
    // 6. Controls for the date style.
    FormInit();
    if (!calendar_->cellError().isEmpty()) {
        forms::interaction().messageBox(
            this,
            QStringLiteral("カレンダーの部品 (MDCAPT32) を読み込めません (%1)。\n%2\n\n"
                           "カレンダーは表示されませんが、日報の入力はできます。")
                .arg(calendar_->cellError(), com::captionLibraryPath()),
            forms::mb::OK | forms::mb::Exclamation, forms::programTitle());
    }
    // 7. An empty entry panel on the current month.
    BlankForm();
    // 8. The remembered staff member, customer and reading.
    ReadLocalEnv();
    // 9. The staff and customer lists.
    SetComb(QStringLiteral("すべて"));
    // 10. The days that hold reports; the entry date becomes today.
    SetMarkDate();
    // 11. Today's report of that staff member and customer.
    ReadNippo();
    ShowUndo();
}

// Reading a large file through takes seconds: the check runs on its own
// thread while the screen is used. Until its answer the search reads without
// indexing and every write waits for it.
void TqenMain::startDataFileCheck() {
    if (!dataCheck_) {
        dataCheck_ = new DataFileCheck(this);
        connect(dataCheck_, &DataFileCheck::finished, this, [this] { settleDataFileCheck(); });
    }
    dataSettled_ = false;
    searchTab_->holdIndexing();
    dataCheck_->start(session_.dataDbPath);
}

// Takes the check's answer once, waiting for it if need be: the user is told
// of a damaged file (true when told now), and a sound one gets its search
// index made or brought up to date in the background.
bool TqenMain::settleDataFileCheck() {
    if (dataSettled_) return false;
    dataSettled_ = true;
    dataDamaged_ = StartUp(this, applicationFolder_).refuseDamagedFile(session_.dataDbPath, dataCheck_->result());
    searchTab_->refuseIndexing(dataDamaged_);
    if (dataDamaged_.ok()) PrepareSearchIndex();
    return !dataDamaged_.ok();
}

bool TqenMain::refusedAsDamaged() {
    const bool toldNow = settleDataFileCheck();
    if (dataDamaged_.ok()) return false;
    if (!toldNow)
        forms::interaction().messageBox(this, dataDamaged_.message(), forms::mb::OK | forms::mb::Critical,
                                        forms::programTitle());
    return true;
}

void TqenMain::ReadDataEnv() { session_.env = Settings::read(session_.workDbPath); }

void TqenMain::FormInit() {
    // 1. The reference grid reads the work database's w顧客参照.
    indexTab_->setWorkDatabase(session_.workDbPath);
    // 2. No hand-over yet.
    handOver_.reset();
    // 3. Day cells: font size 12, label over the whole cell.
    calendar_->prepareCells();
    // 4. Date boxes and their frames by the date style.
    applyDateStyle();
}

// The date boxes, their frames and the calendar's title in the date style
// of the settings; run again when the maintenance form registers a style.
void TqenMain::applyDateStyle() {
    const bool era = IsEraMode(session_.env.年号);
    txt日付->setInputFormat(DayFormatFor(session_.env.年号));
    txt日付->setDisplayFormat(DayFormatFor(session_.env.年号));
    txt日付->setMonthFormat(MonthFormatFor(session_.env.年号));
    Cn印刷条件->applyDateStyle(era, DayFormatFor(session_.env.年号), MonthFormatFor(session_.env.年号));
    ImFrame3D3->setWidthTwips(era ? 3075 : 2775);
    txt日付->setWidthTwips(era ? 2340 : 2040);
    calendar_->setTitleFormat(MonthFormatFor(session_.env.年号));
    nextStep_->applyDateStyle(DayFormatFor(session_.env.年号), MonthFormatFor(session_.env.年号));
}

void TqenMain::ReadLocalEnv() {
    if (!session_.env.担当.isEmpty()) cmb担当->setText(session_.env.担当);
    if (!session_.env.顧客名.isEmpty()) cmb顧客名->setText(session_.env.顧客名);
    if (!session_.env.ふりがな.isEmpty()) txtふりがな->setText(session_.env.ふりがな);
}

void TqenMain::Form_Activate() {
    // The list or the maintenance form may have deleted or put back reports.
    ShowUndo();
    if (!handOver_ || handOver_->customer.isNull()) return;
    const model::HandOver report = *handOver_;
    handOver_.reset();
    cmb顧客名->setText(report.customer.toString());
    cmb担当->setText(report.staff);
    txt日付->setValue(report.day);
    ReadNippo();
}

void TqenMain::handOver(const model::HandOver &report) { handOver_ = report; }

void TqenMain::Form_Unload() {
    const QList<forms::Form *> open = forms::openForms();
    for (qsizetype i = open.size() - 1; i >= 0; --i) {
        forms::Form *f = open[i];
        if (f == this || f->name() == name()) continue;
        f->unload();
        forms::DoEvents();
    }
}

void TqenMain::closeEvent(QCloseEvent *event) {
    if (!unloading_ && !keepTypedEntry()) {
        event->ignore();
        return;
    }
    if (!unloading_) {
        unloading_ = true;
        Form_Unload();
    }
    event->accept();
}

}  // namespace tqen
