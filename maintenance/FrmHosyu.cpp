#include "maintenance/FrmHosyu.h"

#include "platform/forms/FormStack.h"
#include "maintenance/HosyuCustomerTab.h"
#include "maintenance/HosyuDataTab.h"
#include "maintenance/HosyuDeletionTab.h"
#include "maintenance/HosyuFolderTab.h"
#include "maintenance/HosyuSettingsTab.h"
#include "maintenance/JetConversion.h"
#include "backup/Snapshots.h"
#include "messages/Msg.h"
#include "model/Settings.h"
#include "platform/dao/Server.h"
#include "platform/forms/Accessible.h"
#include "platform/forms/FramedPanel.h"
#include "platform/forms/Interaction.h"
#include "platform/forms/KeyLegendBar.h"
#include "platform/forms/KeyPreview.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace tqen {

namespace {

QPushButton *button(const QString &name, const QString &caption, const QString &accessible, QWidget *parent) {
    // The name says what the button does and holds its caption, so a reader
    // that was told "実行" finds it by either.
    QPushButton *b = forms::button(parent, name, caption, accessible);
    b->setMinimumHeight(30);
    b->setAutoDefault(true);
    return b;
}

}  // namespace

const QString FrmHosyu::DataWarning =
    QStringLiteral("データの保存と読込みをします。読込みを行うと現在使用中のデータは上書きされます。注意して使用してください。");

FrmHosyu::FrmHosyu(model::Session &session) : forms::Form(QStringLiteral("FrmHosyu")), session_(session) {
    buildForm();
}

FrmHosyu::~FrmHosyu() = default;

void FrmHosyu::buildForm() {
    setWindowTitle(QStringLiteral("保守"));
    // Wide enough for the data tab's warning on one line (wrapped, its last
    // characters stood alone).
    resize(std::max(660, fontMetrics().horizontalAdvance(DataWarning) + 90), 520);
    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(10, 10, 10, 10);
    root->setSpacing(8);

    SSTab = new QTabWidget(this);
    SSTab->setObjectName(QStringLiteral("SSTab"));
    SSTab->setAccessibleName(QStringLiteral("保守"));
    SSTab->addTab(settingsTab = new maintenance::HosyuSettingsTab(*this), QStringLiteral("設定"));
    SSTab->addTab(dataTab = new maintenance::HosyuDataTab(*this), QStringLiteral("データ保守"));
    SSTab->addTab(folderTab = new maintenance::HosyuFolderTab(*this), QStringLiteral("フォルダに保存"));
    SSTab->addTab(customerTab = new maintenance::HosyuCustomerTab(*this), QStringLiteral("顧客情報"));
    SSTab->addTab(deletionTab = new maintenance::HosyuDeletionTab(*this), QStringLiteral("データ削除"));
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
        forms::FormStack(QStringLiteral("POP"), name());
        unload();
    });
    // The program has no menu form: "メイン" brings the main screen forward.
    connect(cmdメニュー, &QPushButton::clicked, this, [this] {
        forms::FormStack(QStringLiteral("PUSH"), name());
        if (forms::Form *main = forms::findForm(QStringLiteral("TqenMain"))) {
            main->showNormal();
            main->raise();
            main->activateWindow();
        }
    });
}

void FrmHosyu::Form_Load() {
    settingsTab->Form_Load();
    ReadEnv();
    dataTab->Form_Load();
    customerTab->Form_Load();
    Read顧客マスタ();
    ReadSnapshots();
    ReadDeletions();
    folderTab->ReadBackupSettings();
}

void FrmHosyu::ReadEnv() {
    Error error;
    const Settings stored = Settings::read(session_.workDbPath, &error);
    if (!stored.present) return;
    session_.env = stored;
    settingsTab->setDataPath(stored.DataPath);
    settingsTab->setEra(stored.年号);
}

bool FrmHosyu::EntryEnv() {
    // A Windows data file typed as the data path is converted, or nothing is
    // saved.
    QString converted;
    switch (maintenance::OfferConversion(this, session_, settingsTab->dataPath(), &converted)) {
    case maintenance::Conversion::NotWindowsFile: break;
    case maintenance::Conversion::Converted: settingsTab->setDataPath(converted); break;
    case maintenance::Conversion::Declined:
    case maintenance::Conversion::Failed: return false;
    }
    if (!MSG::ShowMessage(QStringLiteral("登録"), QStringLiteral("確認"), QStringLiteral("保守情報"))) return false;
    // The remembered staff member and customer stay as the main screen last
    // wrote them; only the two settings of this form change.
    const Settings stored = Settings::read(session_.workDbPath);
    if (stored.present) {
        session_.env.担当 = stored.担当;
        session_.env.顧客名 = stored.顧客名;
        session_.env.ふりがな = stored.ふりがな;
    }
    // A server's password is asked for or read from ~/.pgpass; it is never
    // kept in the settings.
    if (dao::uriHoldsPassword(settingsTab->dataPath())) {
        failed(Error(Error::Code::BadInput,
                     QStringLiteral("データパスにパスワードを書かないでください。パスワードは接続のときに尋ねるか、"
                                    "~/.pgpass に書いておきます。"),
                     dao::withoutPassword(settingsTab->dataPath())));
        settingsTab->focusDataPath();
        return false;
    }
    session_.env.DataPath = settingsTab->dataPath();
    session_.env.年号 = settingsTab->era();
    if (Error e = session_.env.write(session_.workDbPath, Settings::IfNoRow::Create); !e.ok()) {
        failed(e);
        return false;
    }
    if (Error e = folderTab->EntryBackupSettings(); !e.ok()) {
        failed(e);
        return false;
    }
    if (Error e = customerTab->Entry顧客マスタ(); !e.ok()) {
        failed(e);
        return false;
    }
    MSG::ShowMessage(QStringLiteral("登録"), QStringLiteral("完了"), QStringLiteral("保守情報"));
    return true;
}

void FrmHosyu::Clear保守画面() {
    customerTab->clear();
    settingsTab->setEra(QStringLiteral("西暦"));
    settingsTab->setDataPath(QString());
    settingsTab->focusEra();
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

void FrmHosyu::openHelp(const QString &page) { forms::interaction().shellOpen(session_.helpFolder + page); }

void FrmHosyu::showWait(const QString &text) {
    LMsg->setText(text);
    CnMsg->move((width() - CnMsg->width()) / 2, (height() - CnMsg->height()) / 2);
    CnMsg->showNow();
}

void FrmHosyu::hideWait() { CnMsg->setPanelVisible(false); }

void FrmHosyu::Read顧客マスタ() { customerTab->Read顧客マスタ(); }
void FrmHosyu::ReadSnapshots() { dataTab->ReadSnapshots(); }
void FrmHosyu::ReadDeletions() { dataTab->ReadDeletions(); }
void FrmHosyu::showDataPath(const QString &path) { settingsTab->setDataPath(path); }

Error FrmHosyu::safetySnapshot(const QString &operation) {
    // The deletions on a server run in one transaction; a snapshot is a copy
    // of a data file and has nothing to copy there.
    if (dao::isServerUri(session_.dataDbPath)) return {};
    Error e = backup::Snapshots::inDataFolder(session_.dataFolder).take(session_.dataDbPath, operation);
    ReadSnapshots();
    return e;
}

void FrmHosyu::failed(const Error &e) { forms::showError(this, e); }

}  // namespace tqen
