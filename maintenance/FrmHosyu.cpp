#include "maintenance/FrmHosyu.h"
#include "maintenance/JetConversion.h"

#include "core/MakerLink.h"

#include <QToolButton>

#include "platform/forms/Accessible.h"

#include "core/Globals.h"
#include "core/ModApi.h"
#include "core/ModTqen.h"
#include "core/Settings.h"
#include "messages/Msg.h"
#include "platform/dao/Dao.h"
#include "platform/dao/Server.h"
#include "platform/drives/DriveTable.h"
#include "platform/forms/DataGrid.h"
#include "platform/forms/FramedPanel.h"
#include "platform/forms/Interaction.h"
#include "platform/forms/KeyLegendBar.h"
#include "platform/forms/KeyPreview.h"
#include "platform/forms/TextBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace tqen {

namespace {

const QString kDataWarning =
    QStringLiteral("データの保存と読込みをします。読込みを行うと現在使用中のデータは上書きされます。注意して使用してください。");

QPushButton *button(const QString &name, const QString &caption, const QString &accessible, QWidget *parent) {
    // The name says what the button does and holds its caption, so a reader
    // that was told "実行" finds it by either.
    QPushButton *b = forms::button(parent, name, caption, accessible);
    b->setMinimumHeight(30);
    b->setAutoDefault(true);
    return b;
}

QLabel *labelFor(const QString &text, QWidget *buddy, QWidget *parent) {
    if (!buddy->accessibleName().isEmpty()) {
        auto *l = new QLabel(text, parent);
        l->setBuddy(buddy);
        forms::nameField(buddy, buddy->accessibleName());
        return l;
    }
    return forms::fieldLabel(text, buddy, parent);
}

// One "label … 実行" row of the data and deletion tabs.
QPushButton *actionRow(QGridLayout *grid, int row, const QString &name, const QString &text, QWidget *parent) {
    auto *b = button(name, QStringLiteral("実行"), text, parent);
    b->setFixedWidth(90);
    grid->addWidget(labelFor(text, b, parent), row, 0);
    grid->addWidget(b, row, 1, Qt::AlignRight);
    grid->setColumnStretch(0, 1);
    return b;
}

QPushButton *helpButton(const QString &name, QWidget *parent) {
    auto *b = button(name, QStringLiteral("ヘルプ"), QString(), parent);
    b->setFixedWidth(90);
    return b;
}

}  // namespace

FrmHosyu::FrmHosyu() : forms::Form(QStringLiteral("FrmHosyu")) {
    buildForm();
}

FrmHosyu::~FrmHosyu() = default;

void FrmHosyu::buildForm() {
    setWindowTitle(QStringLiteral("保守"));
    // Wide enough for the data tab's warning on one line (wrapped, its last
    // characters stood alone).
    resize(std::max(660, fontMetrics().horizontalAdvance(kDataWarning) + 90), 520);
    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(10, 10, 10, 10);
    root->setSpacing(8);

    SSTab = new QTabWidget(this);
    SSTab->setObjectName(QStringLiteral("SSTab"));
    SSTab->setAccessibleName(QStringLiteral("保守"));
    SSTab->addTab(buildSettingsTab(), QStringLiteral("設定"));
    SSTab->addTab(buildDataTab(), QStringLiteral("データ保守"));
    SSTab->addTab(buildFolderTab(), QStringLiteral("フォルダに保存"));
    SSTab->addTab(buildCustomerTab(), QStringLiteral("顧客情報"));
    SSTab->addTab(buildDeletionTab(), QStringLiteral("データ削除"));
    root->addWidget(SSTab, 1);

    // The buttons under the keys of the legend that name them, in the
    // legend's order; the form answers the keys (formKey).
    cmd戻る = button(QStringLiteral("cmd戻る"), QStringLiteral("戻る"), QString(), this);
    cmdメニュー = button(QStringLiteral("cmdメニュー"), QStringLiteral("メイン"), QStringLiteral("メイン画面"), this);
    cmd登録 = button(QStringLiteral("cmd登録"), QStringLiteral("登録"), QString(), this);
    cmdクリア = button(QStringLiteral("cmdクリア"), QStringLiteral("クリア"), QString(), this);
    cmd閉じる = button(QStringLiteral("cmd閉じる"), QStringLiteral("閉じる"), QString(), this);
    auto *keys = new QLabel(QStringLiteral("   F1        F2        F5        F9       ESC"), this);
    keys->setObjectName(QStringLiteral("Label1"));
    const QList<std::pair<QString, QPushButton *>> legend = {
        {QStringLiteral("F1"), cmd戻る}, {QStringLiteral("F2"), cmdメニュー}, {QStringLiteral("F5"), cmd登録},
        {QStringLiteral("F9"), cmdクリア}, {QStringLiteral("ESC"), cmd閉じる}};
    for (const auto &[key, b] : legend) {
        b->setToolTip(key);
        b->setAccessibleDescription(key);
    }
    root->addWidget(new forms::KeyLegendBar(keys, legend, this), 0, Qt::AlignLeft);
    new forms::KeyPreview(this, [this](QKeyEvent *e) { return formKey(e); });

    CnMsg = new forms::FramedPanel(QStringLiteral("CnMsg"), this, true);
    CnMsg->setFixedSize(280, 60);
    LMsg = new QLabel(CnMsg);
    LMsg->setObjectName(QStringLiteral("LMsg"));
    LMsg->setAlignment(Qt::AlignCenter);
    LMsg->setGeometry(0, 0, 280, 60);
    CnMsg->hide();

    connect(cmd登録, &QPushButton::clicked, this, [this] {
        if (!EntryEnv()) return;
        ReadEnv();
        emit settingsRegistered();
    });
    connect(cmdクリア, &QPushButton::clicked, this, &FrmHosyu::Clear保守画面);
    connect(cmd閉じる, &QPushButton::clicked, this, &FrmHosyu::unload);
    connect(cmd戻る, &QPushButton::clicked, this, [this] {
        ModTqen::FormStack(QStringLiteral("POP"), name());
        unload();
    });
    // The program has no menu form: "メイン" brings the main screen forward.
    connect(cmdメニュー, &QPushButton::clicked, this, [this] {
        ModTqen::FormStack(QStringLiteral("PUSH"), name());
        if (forms::Form *main = forms::findForm(QStringLiteral("TqenMain"))) {
            main->showNormal();
            main->raise();
            main->activateWindow();
        }
    });
}

QWidget *FrmHosyu::buildSettingsTab() {
    auto *tab = new QWidget;
    auto *grid = new QGridLayout(tab);
    grid->setContentsMargins(16, 16, 16, 16);
    grid->setVerticalSpacing(12);
    txtDataPath = new forms::TextBox(QStringLiteral("txtDataPath"), false, tab);
    Command2 = button(QStringLiteral("Command2"), QStringLiteral("参照..."), QStringLiteral("データファイルを指定する"), tab);
    grid->addWidget(labelFor(QStringLiteral("データパス"), txtDataPath, tab), 0, 0);
    grid->addWidget(txtDataPath, 0, 1);
    grid->addWidget(Command2, 0, 2);
    cmb年号 = new QComboBox(tab);
    cmb年号->setObjectName(QStringLiteral("cmb年号"));
    grid->addWidget(labelFor(QStringLiteral("日付の表示"), cmb年号, tab), 1, 0);
    grid->addWidget(cmb年号, 1, 1, Qt::AlignLeft);
    auto *note = new QLabel(QStringLiteral("データパスを変更したときは、次回の起動から新しいデータファイルを使います。"), tab);
    note->setWordWrap(true);
    grid->addWidget(note, 2, 1, 1, 2);

    auto *about = new QHBoxLayout;
    // The maker's picture, as on the main screen: it opens the maker's page.
    Image1 = CreateMakerLink(tab);
    LblUpdate = new QLabel(tab);
    LblUpdate->setObjectName(QStringLiteral("LblUpdate"));
    about->addWidget(Image1);
    about->addWidget(LblUpdate, 1);
    grid->addLayout(about, 4, 0, 1, 3);
    cmdHint1 = helpButton(QStringLiteral("cmdHint1"), tab);
    grid->addWidget(cmdHint1, 5, 2, Qt::AlignRight);
    grid->setRowStretch(3, 1);
    grid->setColumnStretch(1, 1);

    connect(Command2, &QPushButton::clicked, this, &FrmHosyu::Command2_Click);
    connect(cmdHint1, &QPushButton::clicked, this, [this] { openHelp(QStringLiteral("VoRadu8.htm")); });
    return tab;
}

QWidget *FrmHosyu::buildDataTab() {
    auto *tab = new QWidget;
    auto *box = new QVBoxLayout(tab);
    box->setContentsMargins(16, 12, 16, 12);
    auto *warning = new QLabel(kDataWarning, tab);
    warning->setWordWrap(true);
    box->addWidget(warning);

    auto *driveRow = new QHBoxLayout;
    cmbFDD = new QComboBox(tab);
    cmbFDD->setObjectName(QStringLiteral("cmbFDD"));
    for (const char *d : {"A:", "B:", "C:", "D:", "E:", "F:", "G:"}) cmbFDD->addItem(QString::fromLatin1(d));
    driveRow->addWidget(labelFor(QStringLiteral("フロッピーディスクドライブ"), cmbFDD, tab));
    driveRow->addWidget(cmbFDD);
    // Which folder of this machine the chosen letter stands for.
    lblFDD先 = new QLabel(tab);
    lblFDD先->setObjectName(QStringLiteral("lblFDD先"));
    lblFDD先->setTextInteractionFlags(Qt::TextSelectableByMouse);
    driveRow->addWidget(lblFDD先, 1);
    connect(cmbFDD, &QComboBox::currentTextChanged, this, &FrmHosyu::showDriveFolder);
    box->addLayout(driveRow);

    auto *save = new QGroupBox(QStringLiteral("保存"), tab);
    auto *saveGrid = new QGridLayout(save);
    Command7 = actionRow(saveGrid, 0, QStringLiteral("Command7"), QStringLiteral("フロッピーディスクにデータをコピーする"), save);
    Command9 = actionRow(saveGrid, 1, QStringLiteral("Command9"), QStringLiteral("ハードディスク、リムーバブルディスクにコピーする"), save);
    box->addWidget(save);
    auto *read = new QGroupBox(QStringLiteral("読込む"), tab);
    auto *readGrid = new QGridLayout(read);
    Command8 = actionRow(readGrid, 0, QStringLiteral("Command8"), QStringLiteral("フロッピーディスクからデータを読み込む"), read);
    Command11 = actionRow(readGrid, 1, QStringLiteral("Command11"), QStringLiteral("ハードディスク、リムーバブルディスクから読み込む"), read);
    box->addWidget(read);

    auto *undo = new QGroupBox(QStringLiteral("元に戻す"), tab);
    auto *undoBox = new QGridLayout(undo);
    lst控え = new QListWidget(undo);
    lst控え->setObjectName(QStringLiteral("lst控え"));
    lst控え->setAccessibleName(QStringLiteral("自動で作った控え (新しい順)"));
    lst控え->setMaximumHeight(90);
    cmd元に戻す = button(QStringLiteral("cmd元に戻す"), QStringLiteral("元に戻す"), QStringLiteral("選んだ控えに戻す"), undo);
    cmd元に戻す->setFixedWidth(90);
    undoBox->addWidget(lst控え, 0, 0);
    undoBox->addWidget(cmd元に戻す, 0, 1, Qt::AlignTop);
    // Reports deleted in the last days, each deletion on a line.
    lst削除 = new QListWidget(undo);
    lst削除->setObjectName(QStringLiteral("lst削除"));
    lst削除->setAccessibleName(QStringLiteral("削除した営業日報 (新しい順、30 日間)"));
    lst削除->setMaximumHeight(90);
    cmd削除を元に戻す = button(QStringLiteral("cmd削除を元に戻す"), QStringLiteral("削除を戻す"),
                              QStringLiteral("選んだ削除の営業日報を元に戻す"), undo);
    cmd削除を元に戻す->setFixedWidth(90);
    undoBox->addWidget(lst削除, 1, 0);
    undoBox->addWidget(cmd削除を元に戻す, 1, 1, Qt::AlignTop);
    box->addWidget(undo);

    FddMsg = new QLabel(tab);
    FddMsg->setObjectName(QStringLiteral("FddMsg"));
    FddMsg->setAlignment(Qt::AlignCenter);
    FddMsg->setFrameShape(QFrame::StyledPanel);
    FddMsg->hide();
    box->addWidget(FddMsg);
    box->addStretch(1);
    CmdHint2 = helpButton(QStringLiteral("CmdHint2"), tab);
    box->addWidget(CmdHint2, 0, Qt::AlignRight);

    connect(Command7, &QPushButton::clicked, this, &FrmHosyu::Command7_Click);
    connect(Command8, &QPushButton::clicked, this, &FrmHosyu::Command8_Click);
    connect(Command9, &QPushButton::clicked, this, &FrmHosyu::SaveDataFileToHdd);
    connect(Command11, &QPushButton::clicked, this, &FrmHosyu::ReadDataFileFromHdd);
    connect(cmd元に戻す, &QPushButton::clicked, this, &FrmHosyu::cmd元に戻す_Click);
    connect(cmd削除を元に戻す, &QPushButton::clicked, this, &FrmHosyu::cmd削除を元に戻す_Click);
    connect(CmdHint2, &QPushButton::clicked, this, [this] { openHelp(QStringLiteral("VoRadu9.htm")); });
    return tab;
}

QWidget *FrmHosyu::buildFolderTab() {
    auto *tab = new QWidget;
    auto *box = new QVBoxLayout(tab);
    box->setContentsMargins(16, 12, 16, 12);
    auto *about = new QLabel(QStringLiteral("データを USB メモリやネットワークのフォルダに、日時の付いた書庫 "
                                            "(TqenData-年月日-時分.lzh) として保存します。"),
                             tab);
    about->setWordWrap(true);
    box->addWidget(about);

    auto *settings = new QGroupBox(QStringLiteral("保存先"), tab);
    auto *grid = new QGridLayout(settings);
    txt保存先 = new forms::TextBox(QStringLiteral("txt保存先"), false, settings);
    cmd保存先参照 = button(QStringLiteral("cmd保存先参照"), QStringLiteral("参照..."), QStringLiteral("保存先のフォルダを指定する"), settings);
    grid->addWidget(labelFor(QStringLiteral("保存先のフォルダ"), txt保存先, settings), 0, 0);
    grid->addWidget(txt保存先, 0, 1);
    grid->addWidget(cmd保存先参照, 0, 2);
    spn保存数 = new QSpinBox(settings);
    spn保存数->setObjectName(QStringLiteral("spn保存数"));
    spn保存数->setRange(1, 99);
    spn保存数->setSuffix(QStringLiteral(" 個"));
    grid->addWidget(labelFor(QStringLiteral("残す書庫の数"), spn保存数, settings), 1, 0);
    grid->addWidget(spn保存数, 1, 1, Qt::AlignLeft);
    chk毎日 = new QCheckBox(QStringLiteral("起動したとき、前の保存から 1 日たっていれば保存する"), settings);
    chk毎日->setObjectName(QStringLiteral("chk毎日"));
    chk毎日->setAccessibleName(chk毎日->text());
    grid->addWidget(chk毎日, 2, 1, 1, 2);
    lbl最終保存 = new QLabel(settings);
    lbl最終保存->setObjectName(QStringLiteral("lbl最終保存"));
    grid->addWidget(new QLabel(QStringLiteral("前回の保存"), settings), 3, 0);
    grid->addWidget(lbl最終保存, 3, 1, 1, 2);
    grid->setColumnStretch(1, 1);
    box->addWidget(settings);

    auto *actions = new QGroupBox(QStringLiteral("保存と読込み"), tab);
    auto *actionGrid = new QGridLayout(actions);
    cmdフォルダ保存 = actionRow(actionGrid, 0, QStringLiteral("cmdフォルダ保存"), QStringLiteral("いま保存先のフォルダに保存する"), actions);
    cmdフォルダ読込 = actionRow(actionGrid, 1, QStringLiteral("cmdフォルダ読込"), QStringLiteral("保存先のフォルダの書庫から読み込む"), actions);
    box->addWidget(actions);
    auto *note = new QLabel(QStringLiteral("設定は「登録」で保存されます。読込みの前には、今のデータが控えとして残ります。"), tab);
    note->setWordWrap(true);
    box->addWidget(note);
    box->addStretch(1);
    auto *help = helpButton(QStringLiteral("CmdHint3"), tab);
    box->addWidget(help, 0, Qt::AlignRight);

    connect(cmd保存先参照, &QPushButton::clicked, this, &FrmHosyu::cmd保存先参照_Click);
    connect(cmdフォルダ保存, &QPushButton::clicked, this, &FrmHosyu::cmdフォルダ保存_Click);
    connect(cmdフォルダ読込, &QPushButton::clicked, this, &FrmHosyu::cmdフォルダ読込_Click);
    connect(help, &QPushButton::clicked, this, [this] { openHelp(QStringLiteral("VoRadu9.htm")); });
    return tab;
}

QWidget *FrmHosyu::buildCustomerTab() {
    auto *tab = new QWidget;
    auto *box = new QVBoxLayout(tab);
    box->setContentsMargins(12, 12, 12, 12);
    dat顧客 = new forms::DataControl(QStringLiteral("dat顧客"), this);
    Grid顧客 = new forms::DataGrid(QStringLiteral("Grid顧客"), dat顧客,
                                   {{QStringLiteral("チェック"), QStringLiteral("チェック"), true, false, {}, 70},
                                    {QStringLiteral("名称"), QStringLiteral("名称"), false, false, {}, 260},
                                    {QStringLiteral("ふりがな"), QStringLiteral("ふりがな"), false, false, {}, 220}},
                                   tab);
    Grid顧客->setAccessibleName(QStringLiteral("顧客の一覧"));
    box->addWidget(Grid顧客, 1);
    auto *row = new QHBoxLayout;
    cmd読込 = button(QStringLiteral("cmd読込"), QStringLiteral("読込"), QStringLiteral("顧客の一覧を読み込む"), tab);
    cmd削除 = button(QStringLiteral("cmd削除"), QStringLiteral("行削除"), QStringLiteral("チェックした顧客を削除する"), tab);
    Command4 = helpButton(QStringLiteral("Command4"), tab);
    for (QPushButton *b : {cmd読込, cmd削除}) {
        b->setFixedWidth(90);
        row->addWidget(b);
    }
    row->addStretch(1);
    row->addWidget(Command4);
    box->addLayout(row);
    connect(cmd読込, &QPushButton::clicked, this, &FrmHosyu::Read顧客マスタ);
    connect(cmd削除, &QPushButton::clicked, this, &FrmHosyu::DeleteLine顧客);
    connect(Command4, &QPushButton::clicked, this, [this] { openHelp(QStringLiteral("VoRadu10.htm")); });
    return tab;
}

QWidget *FrmHosyu::buildDeletionTab() {
    auto *tab = new QWidget;
    auto *box = new QVBoxLayout(tab);
    box->setContentsMargins(16, 16, 16, 12);
    auto *group = new QGroupBox(QStringLiteral("データ削除"), tab);
    auto *grid = new QGridLayout(group);
    grid->setVerticalSpacing(12);
    Command1 = actionRow(grid, 0, QStringLiteral("Command1"), QStringLiteral("すべてのデータを削除し初期状態に戻す"), group);
    Command6 = actionRow(grid, 1, QStringLiteral("Command6"), QStringLiteral("すべての顧客情報を削除する"), group);
    Command3 = actionRow(grid, 2, QStringLiteral("Command3"), QStringLiteral("すべての営業日報を削除する"), group);
    Command5 = actionRow(grid, 3, QStringLiteral("Command5"), QStringLiteral("コード表を削除する"), group);
    box->addWidget(group);
    box->addStretch(1);
    Command10 = helpButton(QStringLiteral("Command10"), tab);
    box->addWidget(Command10, 0, Qt::AlignRight);
    connect(Command1, &QPushButton::clicked, this, &FrmHosyu::DeleteAllData);
    connect(Command6, &QPushButton::clicked, this, [this] { DeleteAllKokyaku(true); });
    connect(Command3, &QPushButton::clicked, this, [this] { DeleteAll日報(true); });
    connect(Command5, &QPushButton::clicked, this, &FrmHosyu::Command5_Click);
    connect(Command10, &QPushButton::clicked, this, [this] { openHelp(QStringLiteral("VoRadu11.htm")); });
    return tab;
}

void FrmHosyu::showDriveFolder() {
    const QString drive = cmbFDD->currentText();
    const QString folder = drives::folderOf(drive);
    lblFDD先->setText(folder.isEmpty() ? QStringLiteral("→ 未設定（%1 に %2=フォルダ の行を書きます）")
                                             .arg(drives::configPath(), drive.left(1))
                                       : QStringLiteral("→ ") + folder);
    lblFDD先->setAccessibleName(QStringLiteral("ドライブのフォルダ: ") + lblFDD先->text());
}

void FrmHosyu::Form_Load() {
    LblUpdate->setText(QStringLiteral(" RUvoza Ver 1.10") + u'\n' + QStringLiteral("Last Update 2002/02/14"));
    cmb年号->clear();
    cmb年号->addItem(QStringLiteral("西暦"));
    cmb年号->addItem(QStringLiteral("和暦"));
    ReadEnv();
    cmbFDD->setCurrentIndex(0);
    showDriveFolder();
    dat顧客->DatabaseName = G().WorkDbPath;
    dat顧客->RecordSource = QStringLiteral("w顧客マスタ");
    Read顧客マスタ();
    ReadSnapshots();
    ReadDeletions();
    ReadBackupSettings();
}

void FrmHosyu::ReadEnv() {
    Error error;
    const Settings stored = Settings::read(G().WorkDbPath, &error);
    if (!stored.present) return;
    G().Env = stored;
    txtDataPath->setText(stored.DataPath);
    const int era = cmb年号->findText(stored.年号);
    cmb年号->setCurrentIndex(era >= 0 ? era : 0);
}

bool FrmHosyu::EntryEnv() {
    // A Windows data file typed as the data path is converted, or nothing is
    // saved.
    QString converted;
    switch (maintenance::OfferConversion(this, txtDataPath->Text(), &converted)) {
    case maintenance::Conversion::NotWindowsFile: break;
    case maintenance::Conversion::Converted: txtDataPath->setText(converted); break;
    case maintenance::Conversion::Declined:
    case maintenance::Conversion::Failed: return false;
    }
    if (!MSG::ShowMessage(QStringLiteral("登録"), QStringLiteral("確認"), QStringLiteral("保守情報"))) return false;
    // The remembered staff member and customer stay as the main screen last
    // wrote them; only the two settings of this form change.
    const Settings stored = Settings::read(G().WorkDbPath);
    if (stored.present) {
        G().Env.担当 = stored.担当;
        G().Env.顧客名 = stored.顧客名;
        G().Env.ふりがな = stored.ふりがな;
    }
    // A server's password is asked for or read from ~/.pgpass; it is never
    // kept in the settings.
    if (dao::uriHoldsPassword(txtDataPath->Text())) {
        failed(Error(Error::Code::BadInput,
                     QStringLiteral("データパスにパスワードを書かないでください。パスワードは接続のときに尋ねるか、"
                                    "~/.pgpass に書いておきます。"),
                     dao::withoutPassword(txtDataPath->Text())));
        txtDataPath->setFocus();
        return false;
    }
    G().Env.DataPath = txtDataPath->Text();
    G().Env.年号 = cmb年号->currentText();
    if (Error e = G().Env.write(G().WorkDbPath, Settings::IfNoRow::Create); !e.ok()) {
        failed(e);
        return false;
    }
    if (Error e = EntryBackupSettings(); !e.ok()) {
        failed(e);
        return false;
    }
    if (Error e = Entry顧客マスタ(); !e.ok()) {
        failed(e);
        return false;
    }
    MSG::ShowMessage(QStringLiteral("登録"), QStringLiteral("完了"), QStringLiteral("保守情報"));
    return true;
}

void FrmHosyu::Clear保守画面() {
    auto work = dao::Database::open(G().WorkDbPath);
    work.execute(QStringLiteral("delete * from w顧客マスタ"));
    work.close();
    dat顧客->Refresh();
    cmb年号->setCurrentIndex(cmb年号->findText(QStringLiteral("西暦")));
    txtDataPath->setText(QString());
    cmb年号->setFocus();
}

void FrmHosyu::Command2_Click() {
    ModApi::FileDialogRequest request;
    request.title = QStringLiteral("データファイルを指定する");
    request.filter = QStringLiteral("MDB ファイル(*.mdb)|tqendata.mdb|");
    request.filterIndex = 1;
    request.initialFolder = QStringLiteral("c:\\");
    if (!ModApi::OpenFileDialog(this, request)) return;
    // A data file of the Windows program is converted first, or not taken.
    QString converted;
    switch (maintenance::OfferConversion(this, request.chosenPath, &converted)) {
    case maintenance::Conversion::NotWindowsFile: txtDataPath->setText(request.chosenPath); break;
    case maintenance::Conversion::Converted: txtDataPath->setText(converted); break;
    case maintenance::Conversion::Declined:
    case maintenance::Conversion::Failed: break;
    }
}

// The legend's keys: F1 戻る, F2 メイン, F5 登録, F9 クリア, Esc 閉じる.
bool FrmHosyu::formKey(QKeyEvent *e) {
    if (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
    QPushButton *pressed = nullptr;
    switch (e->key()) {
    case Qt::Key_F1: pressed = cmd戻る; break;
    case Qt::Key_F2: pressed = cmdメニュー; break;
    case Qt::Key_F5: pressed = cmd登録; break;
    case Qt::Key_F9: pressed = cmdクリア; break;
    case Qt::Key_Escape: pressed = cmd閉じる; break;
    default: return false;
    }
    pressed->click();
    return true;
}

void FrmHosyu::openHelp(const QString &page) { forms::interaction().shellOpen(G().HelpFolder + page); }

void FrmHosyu::showWait(const QString &text) {
    LMsg->setText(text);
    CnMsg->move((width() - CnMsg->width()) / 2, (height() - CnMsg->height()) / 2);
    CnMsg->showNow();
}

void FrmHosyu::hideWait() { CnMsg->setPanelVisible(false); }

void FrmHosyu::failed(const Error &e) { forms::showError(this, e); }

}  // namespace tqen
