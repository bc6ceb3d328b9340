#include "app/TqenMain.h"

#include "core/Globals.h"
#include "platform/com/ControlHost.h"
#include "platform/dao/Dao.h"
#include "platform/drives/DriveTable.h"
#include "platform/files/Files.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/DataGrid.h"
#include "platform/forms/DateBox.h"
#include "platform/forms/FramedPanel.h"
#include "platform/forms/Interaction.h"
#include "platform/forms/TextBox.h"
#include "platform/forms/Twips.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace tqen {

using forms::pixels;

namespace {

QPushButton *button(const QString &name, const QString &caption, const QString &tip, QWidget *parent) {
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setToolTip(tip);
    b->setAccessibleName(caption);
    b->setMinimumHeight(32);
    return b;
}

QLabel *caption(const QString &text, QWidget *buddy, QWidget *parent) {
    auto *l = new QLabel(text, parent);
    l->setBuddy(buddy);
    buddy->setAccessibleName(text);
    return l;
}

// Places a child at a position given in twips.
void place(QWidget *w, int leftTwips, int topTwips) { w->move(pixels(leftTwips), pixels(topTwips)); }

}  // namespace

TqenMain::TqenMain(const QString &applicationFolder)
    : forms::Form(QStringLiteral("TqenMain")),
      applicationFolder_(applicationFolder.isEmpty() ? files::applicationFolder() : applicationFolder) {
    buildForm();
    connect(this, &forms::Form::activated, this, &TqenMain::Form_Activate);
}

TqenMain::~TqenMain() = default;

void TqenMain::buildForm() {
    setWindowTitle(forms::programTitle());
    setMinimumSize(1000, 700);
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
    body->addWidget(calendarArea, 0);
    buildCalendar();

    // The tabs on the right: the customer index and the report entry.
    SSTab1 = new QTabWidget(this);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    body->addWidget(SSTab1, 1);
    auto *indexTab = new QWidget;
    indexTab->setObjectName(QStringLiteral("tab顧客インデックス"));
    SSTab1->addTab(indexTab, QStringLiteral("顧客インデックス"));
    buildIndexTab(indexTab);
    auto *entryTab = new QWidget;
    entryTab->setObjectName(QStringLiteral("tab営業日報"));
    SSTab1->addTab(entryTab, QStringLiteral("営業日報"));
    SSTab1->setCurrentIndex(1);

    auto *entry = new QGridLayout(entryTab);
    entry->setContentsMargins(12, 12, 12, 12);
    entry->setHorizontalSpacing(10);
    entry->setVerticalSpacing(8);

    ImFrame3D3 = new forms::FramedPanel(QStringLiteral("ImFrame3D3"), entryTab);
    ImFrame3D3->setFixedHeight(pixels(480));
    txt日付 = new forms::DateBox(QStringLiteral("txt日付"), ImFrame3D3);
    txt日付->setFixedHeight(pixels(360));
    place(txt日付, 120, 60);
    entry->addWidget(caption(QStringLiteral("日付"), txt日付, entryTab), 0, 0);
    entry->addWidget(ImFrame3D3, 0, 1, Qt::AlignLeft);

    cmb担当 = new forms::ComboBox(QStringLiteral("cmb担当"), entryTab);
    entry->addWidget(caption(QStringLiteral("担当"), cmb担当, entryTab), 1, 0);
    entry->addWidget(cmb担当, 1, 1);
    cmb顧客名 = new forms::ComboBox(QStringLiteral("cmb顧客名"), entryTab);
    entry->addWidget(caption(QStringLiteral("顧客名"), cmb顧客名, entryTab), 2, 0);
    entry->addWidget(cmb顧客名, 2, 1);
    txtふりがな = new forms::TextBox(QStringLiteral("txtふりがな"), false, entryTab);
    entry->addWidget(caption(QStringLiteral("ふりがな"), txtふりがな, entryTab), 3, 0);
    entry->addWidget(txtふりがな, 3, 1);
    txtタイトル = new forms::TextBox(QStringLiteral("txtタイトル"), false, entryTab);
    entry->addWidget(caption(QStringLiteral("タイトル"), txtタイトル, entryTab), 4, 0);
    entry->addWidget(txtタイトル, 4, 1);
    txtメモ = new forms::TextBox(QStringLiteral("txtメモ"), true, entryTab);
    entry->addWidget(caption(QStringLiteral("メモ"), txtメモ, entryTab), 5, 0, Qt::AlignTop);
    entry->addWidget(txtメモ, 5, 1);
    entry->setRowStretch(5, 1);
    entry->setColumnStretch(1, 1);

    // The button bar.
    auto *bar = new QHBoxLayout;
    bar->setSpacing(6);
    root->addLayout(bar);
    cmd登録 = button(QStringLiteral("cmd登録"), QStringLiteral("登録"), QStringLiteral("メモを登録します"), this);
    cmd削除 = button(QStringLiteral("cmd削除"), QStringLiteral("削除"), QStringLiteral("その日付のメモを削除します"), this);
    cmdクリア = button(QStringLiteral("cmdクリア"), QStringLiteral("クリア"), QStringLiteral("この画面を白紙にします"), this);
    cmd読込 = button(QStringLiteral("cmd読込"), QStringLiteral("読込"), QString(), this);
    cmd印刷 = button(QStringLiteral("cmd印刷"), QStringLiteral("印刷"), QString(), this);
    Command3 = button(QStringLiteral("Command3"), QStringLiteral("一覧"), QString(), this);
    Command5 = button(QStringLiteral("Command5"), QStringLiteral("コード表"), QString(), this);
    Command11 = button(QStringLiteral("Command11"), QStringLiteral("保守"), QString(), this);
    cmdHint = button(QStringLiteral("cmdHint"), QStringLiteral("ヘルプ"), QString(), this);
    cmd閉じる = button(QStringLiteral("cmd閉じる"), QStringLiteral("閉じる"), QStringLiteral("ソフトを終了します"), this);
    for (QPushButton *b : {cmd登録, cmd削除, cmdクリア, cmd読込, cmd印刷, Command3, Command5, Command11, cmdHint})
        bar->addWidget(b);
    // The print panel, the report list and the code table are not part of
    // this program yet: their buttons stay disabled.
    for (QPushButton *b : {cmd印刷, Command3, Command5}) b->setEnabled(false);
    bar->addStretch(1);
    bar->addWidget(cmd閉じる);
    connect(cmd閉じる, &QPushButton::clicked, this, [this] { close(); });
    connect(cmd登録, &QPushButton::clicked, this, &TqenMain::cmd登録_Click);
    connect(cmd削除, &QPushButton::clicked, this, &TqenMain::cmd削除_Click);
    connect(cmdクリア, &QPushButton::clicked, this, &TqenMain::cmdクリア_Click);
    connect(cmd読込, &QPushButton::clicked, this, &TqenMain::cmd読込_Click);
    connect(cmdHint, &QPushButton::clicked, this, &TqenMain::cmdHint_Click);
    connect(Command11, &QPushButton::clicked, this, &TqenMain::Command11_Click);

    // The print conditions: a panel shown over the form, holding the range.
    Cn印刷条件 = new forms::FramedPanel(QStringLiteral("Cn印刷条件"), this, true);
    Cn印刷条件->setFixedSize(pixels(6200), pixels(2400));
    Cn印刷条件->hide();
    imContainer3D9 = new forms::FramedPanel(QStringLiteral("imContainer3D9"), Cn印刷条件);
    imContainer3D9->setFixedHeight(pixels(600));
    place(imContainer3D9, 180, 300);
    txt開始 = new forms::DateBox(QStringLiteral("txt開始"), imContainer3D9);
    txt開始->setAccessibleName(QStringLiteral("開始日"));
    txt開始->setFixedHeight(pixels(360));
    place(txt開始, 120, 120);
    lblから = new QLabel(QStringLiteral("から"), imContainer3D9);
    lblから->setObjectName(QStringLiteral("lblから"));
    place(lblから, 2790, 170);
    txt終了 = new forms::DateBox(QStringLiteral("txt終了"), imContainer3D9);
    txt終了->setAccessibleName(QStringLiteral("終了日"));
    txt終了->setFixedHeight(pixels(360));
    place(txt終了, 3100, 120);
    cmb印刷担当 = new forms::ComboBox(QStringLiteral("cmb印刷担当"), Cn印刷条件);
    cmb印刷担当->setAccessibleName(QStringLiteral("印刷する担当"));
    cmb印刷担当->setGeometry(pixels(180), pixels(1050), pixels(2600), pixels(360));
    cmb印刷顧客名 = new forms::ComboBox(QStringLiteral("cmb印刷顧客名"), Cn印刷条件);
    cmb印刷顧客名->setAccessibleName(QStringLiteral("印刷する顧客名"));
    cmb印刷顧客名->setGeometry(pixels(2900), pixels(1050), pixels(3000), pixels(360));

    // The progress note ("読込中です･･･").
    CnMsg = new forms::FramedPanel(QStringLiteral("CnMsg"), this, true);
    CnMsg->setFixedSize(280, 60);
    LMsg = new QLabel(CnMsg);
    LMsg->setObjectName(QStringLiteral("LMsg"));
    LMsg->setAlignment(Qt::AlignCenter);
    LMsg->setGeometry(0, 0, 280, 60);
    CnMsg->hide();

    // "検索中です･･･" while the reference list fills.
    Msg検索中 = new forms::FramedPanel(QStringLiteral("Msg検索中"), this, true);
    Msg検索中->setFixedSize(280, 60);
    auto *searching = new QLabel(QStringLiteral("検索中です･･･"), Msg検索中);
    searching->setAlignment(Qt::AlignCenter);
    searching->setGeometry(0, 0, 280, 60);
    Msg検索中->hide();

    setTabOrder(txt日付, cmb担当);
    setTabOrder(cmb担当, cmb顧客名);
    setTabOrder(cmb顧客名, txtふりがな);
    setTabOrder(txtふりがな, txtタイトル);
    setTabOrder(txtタイトル, txtメモ);
}

void TqenMain::Form_Load() {
    // 1. The form is visible while the rest runs.
    show();
    forms::DoEvents();
    // 2. Folders.
    chooseFolders();
    // 3. The work database.
    G().WorkDbPath = files::resolveCase(G().DataFolder + QStringLiteral("TqenWork.mdb"));
    // 4. Settings.
    ReadDataEnv();
    // 5. The data database in use.
    if (G().Env.DataPath.isEmpty()) {
        G().DataDbPath = files::resolveCase(G().DataFolder + QStringLiteral("TqenData.mdb"));
    } else {
        G().DataDbPath = G().Env.DataPath;
    }
    G().HintDbPath = G().DataDbPath;
    checkDataDatabase();
    // 6. Controls for the date style.
    FormInit();
    if (!cellError_.isEmpty()) {
        forms::interaction().messageBox(
            this,
            QStringLiteral("カレンダーの部品 (MDCAPT32) を読み込めません (%1)。\n%2\n\n"
                           "カレンダーは表示されませんが、日報の入力はできます。")
                .arg(cellError_, com::captionLibraryPath()),
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
}

void TqenMain::chooseFolders() {
    const QString marker = drives::toLocalPath(QStringLiteral("c:\\qmtdevelop.txt"));
    if (files::fileExists(marker)) {
        G().DataFolder = drives::toLocalPath(QStringLiteral("c:\\develop2\\tq\\tqen\\data\\"));
        G().HelpFolder = drives::toLocalPath(QStringLiteral("c:\\TqMan\\TqenMan\\"));
    } else {
        G().DataFolder = applicationFolder_ + QStringLiteral("/data/");
        G().HelpFolder = applicationFolder_ + QStringLiteral("/help/");
    }
}

// A data database that cannot be opened would leave every screen silently
// empty; the user is told once, with the path, and the program goes on.
void TqenMain::checkDataDatabase() {
    auto db = dao::Database::open(G().DataDbPath);
    if (db.isOpen()) {
        auto rs = db.openRecordset(QStringLiteral("select * from 営業日報 where 日付 = #1900/01/01#"));
        if (rs.isOpen()) return;
        db = dao::Database();
    }
    forms::interaction().messageBox(
        this,
        QStringLiteral("データファイルを開けません。\n%1\n\nファイルが無いか、読めないか、データファイルではありません。"
                       "保守画面でデータファイルを指定し直してください。")
            .arg(G().DataDbPath),
        forms::mb::OK | forms::mb::Exclamation, forms::programTitle());
}

void TqenMain::ReadDataEnv() { G().Env = Settings::read(G().WorkDbPath); }

void TqenMain::FormInit() {
    // 1. The reference grid reads the work database's w顧客参照.
    dat参照->DatabaseName = G().WorkDbPath;
    dat参照->RecordSource = QStringLiteral("w顧客参照");
    // 2. No hand-over yet.
    G().JumpCustomer = QVariant();
    G().JumpDate = QDate();
    // 3. Day cells: font size 12, label over the whole cell.
    prepareCells();
    // 4. Date boxes and their frames by the date style.
    const bool era = IsEraMode(G().Env.年号);
    for (forms::DateBox *box : {txt日付, txt開始, txt終了}) {
        box->setInputFormat(DayFormatFor(G().Env.年号));
        box->setDisplayFormat(DayFormatFor(G().Env.年号));
        box->setMonthFormat(MonthFormatFor(G().Env.年号));
    }
    ImFrame3D3->setWidthTwips(era ? 3075 : 2775);
    txt日付->setWidthTwips(era ? 2340 : 2040);
    txt開始->setWidthTwips(era ? 2320 : 2010);
    txt終了->setWidthTwips(era ? 2320 : 2010);
    txt終了->setLeftTwips(era ? 3360 : 3100);
    imContainer3D9->setWidthTwips(era ? 5740 : 5190);
    lblから->move(pixels(era ? 3070 : 2790), lblから->y());
}

void TqenMain::ReadLocalEnv() {
    if (!G().Env.担当.isEmpty()) cmb担当->setText(G().Env.担当);
    if (!G().Env.顧客名.isEmpty()) cmb顧客名->setText(G().Env.顧客名);
    if (!G().Env.ふりがな.isEmpty()) txtふりがな->setText(G().Env.ふりがな);
}

void TqenMain::Form_Activate() {
    if (G().JumpCustomer.isNull()) return;
    cmb顧客名->setText(G().JumpCustomer.toString());
    cmb担当->setText(G().JumpStaff);
    txt日付->setValue(G().JumpDate.toString(QStringLiteral("yyyyMMdd")));
    ReadNippo();
    G().JumpCustomer = QVariant();
}

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
    if (!unloading_) {
        unloading_ = true;
        Form_Unload();
    }
    event->accept();
}

}  // namespace tqen
