#include "app/TqenMain.h"

#include "app/CustomerIndexTab.h"
#include "app/DataFileCheck.h"
#include "app/EntryPanel.h"
#include "app/MainButtonBar.h"
#include "app/MonthCalendar.h"
#include "app/OverviewLinks.h"
#include "app/PrintPanel.h"
#include "app/ProgressNote.h"
#include "app/SearchTab.h"
#include "app/StartUp.h"
#include "platform/com/ControlHost.h"
#include "platform/files/Files.h"
#include "platform/forms/FramedPanel.h"
#include "platform/forms/Interaction.h"
#include "platform/forms/KeyPreview.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QVBoxLayout>

namespace tqen {

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
    indexTab_ = new CustomerIndexTab(session_);
    indexTab_->setObjectName(QStringLiteral("tab顧客インデックス"));
    SSTab1->addTab(indexTab_, QStringLiteral("顧客インデックス"));
    connect(indexTab_, &CustomerIndexTab::busy, this, [this](bool reading) {
        reading ? Msg検索中->showOver() : Msg検索中->hide();
    });
    connect(indexTab_, &CustomerIndexTab::failed, this, [this](const Error &e) {
        forms::interaction().messageBox(this, e.message(), forms::mb::OK | forms::mb::Exclamation, forms::programTitle());
    });
    connect(indexTab_, &CustomerIndexTab::chooseClicked, this, &TqenMain::cmd_Enter_Click);
    connect(indexTab_, &CustomerIndexTab::helpClicked, this, &TqenMain::Command1_Click);
    buildEntryTab();
    buildSearchTab();
    buildNextStepsTab();

    auto *bar = new MainButtonBar(this);
    root->addLayout(bar);
    buildButtonBar(bar);
    // A customer's history from the index and the search; the figures.
    QPushButton *figures = linkOverview(this, session_, indexTab_, searchTab_);
    bar->insertBefore(bar->button(QStringLiteral("cmdHint")), figures);
    setTabOrder(bar->button(QStringLiteral("Command11")), figures);
    buildPrintPanel();
    buildProgressPanels();
    buildFormLauncher();
    // A sound data file gets its search index made or brought up to date in
    // the background; a damaged one none.
    dataCheck_ = new DataFileCheck(this, applicationFolder_);
    connect(dataCheck_, &DataFileCheck::settled, this, [this](const Error &damaged) {
        searchTab_->refuseIndexing(damaged);
        if (damaged.ok()) PrepareSearchIndex();
    });
}

// The tab "営業日報": the panel holds the boxes and the report's steps; the
// screen shows its notes and messages, and after a registration or deletion
// blanks the entry and marks the days again.
void TqenMain::buildEntryTab() {
    entry_ = new EntryPanel(session_, this);
    SSTab1->addTab(entry_, QStringLiteral("営業日報"));
    SSTab1->setCurrentIndex(1);
    connect(entry_, &EntryPanel::busy, this, [this](const QString &note) { CnMsg->showText(note); });
    connect(entry_, &EntryPanel::idle, this, [this] { CnMsg->hide(); });
    connect(entry_, &EntryPanel::failed, this, &TqenMain::failed);
    connect(entry_, &EntryPanel::confirmed, this, &TqenMain::markConfirmedDays);
    connect(entry_, &EntryPanel::registered, this, [this] {
        BlankForm();
        entry_->ReadLocalEnv();
        SetMarkDate();
        SetComb(QStringLiteral("すべて"));
    });
    connect(entry_, &EntryPanel::deleted, this, [this] {
        BlankForm();
        entry_->ReadLocalEnv();
        SetComb(QStringLiteral("すべて"));
        SetMarkDate();
        entry_->ReadNippo();
        ShowUndo();
    });
    // Ctrl+T offers the memo templates from any tab.
    auto *key = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_T), this);
    key->setObjectName(QStringLiteral("keyテンプレート"));
    connect(key, &QShortcut::activated, this, [this] {
        SSTab1->setCurrentIndex(1);
        entry_->showTemplates();
    });
}

// The buttons under the screen and their steps; "閉じる" closes the screen.
void TqenMain::buildButtonBar(MainButtonBar *bar) {
    const std::pair<const char *, void (TqenMain::*)()> clicks[] = {
        {"cmd登録", &TqenMain::cmd登録_Click},     {"cmd削除", &TqenMain::cmd削除_Click},
        {"cmd元に戻す", &TqenMain::cmd元に戻す_Click}, {"cmdクリア", &TqenMain::cmdクリア_Click},
        {"cmd読込", &TqenMain::cmd読込_Click},     {"cmd印刷", &TqenMain::cmd印刷_Click},
        {"Command3", &TqenMain::Command3_Click},   {"Command5", &TqenMain::Command5_Click},
        {"Command11", &TqenMain::Command11_Click}, {"cmdHint", &TqenMain::cmdHint_Click},
        {"cmd提出状況", &TqenMain::cmd提出状況_Click},
    };
    for (const auto &[name, click] : clicks) connect(bar->button(QString::fromUtf8(name)), &QPushButton::clicked, this, click);
    connect(bar->button(QStringLiteral("cmd閉じる")), &QPushButton::clicked, this, [this] { close(); });
    cmd元に戻す = bar->button(QStringLiteral("cmd元に戻す"));
    cmd印刷 = bar->button(QStringLiteral("cmd印刷"));
}

// The print conditions: a panel shown over the form, holding the range.
void TqenMain::buildPrintPanel() {
    Cn印刷条件 = new PrintPanel(this, session_);
    connect(Cn印刷条件, &PrintPanel::closed, this, [this] { cmd印刷->setFocus(); });
}

// The progress notes: "読込中です･･･" and the like, and "検索中です･･･"
// while the reference list fills.
void TqenMain::buildProgressPanels() {
    CnMsg = new ProgressNote(QStringLiteral("CnMsg"), QStringLiteral("LMsg"), this);
    Msg検索中 = new ProgressNote(QStringLiteral("Msg検索中"), QString(), this);
    Msg検索中->setText(QStringLiteral("検索中です･･･"));
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
    if (start.checkDataDatabase(session_)) {
        searchTab_->holdIndexing();
        dataCheck_->start(session_.dataDbPath);
    }
    // 6. Controls for the date style.
    FormInit();
    start.tellCalendarMissing(calendar_->cellError());
    // 7. An empty entry panel on the current month.
    BlankForm();
    // 8. The remembered staff member, customer and reading.
    entry_->ReadLocalEnv();
    // 9. The staff and customer lists.
    SetComb(QStringLiteral("すべて"));
    // 10. The days that hold reports; the entry date becomes today.
    SetMarkDate();
    // 11. Today's report of that staff member and customer.
    entry_->ReadNippo();
    ShowUndo();
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
    entry_->applyDateStyle(session_.env.年号);
    Cn印刷条件->applyDateStyle(IsEraMode(session_.env.年号), DayFormatFor(session_.env.年号), MonthFormatFor(session_.env.年号));
    calendar_->setTitleFormat(MonthFormatFor(session_.env.年号));
}

void TqenMain::Form_Activate() {
    // The list or the maintenance form may have deleted or put back reports.
    ShowUndo();
    if (!handOver_ || handOver_->customer.isNull()) return;
    const model::HandOver report = *handOver_;
    handOver_.reset();
    entry_->setCustomer(report.customer.toString());
    entry_->setStaff(report.staff);
    entry_->setDay(report.day);
    entry_->ReadNippo();
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
    if (!unloading_ && !entry_->keepTypedEntry()) {
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
