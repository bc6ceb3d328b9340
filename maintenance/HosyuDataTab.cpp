// The data tab of the maintenance form: the floppy set, the disk copies of
// the data file, the snapshots and the deletions to put back.
#include "maintenance/HosyuDataTab.h"

#include "core/DeletionUndo.h"
#include "core/ModApi.h"
#include "maintenance/FddBackup.h"
#include "maintenance/FrmHosyu.h"
#include "maintenance/JetConversion.h"
#include "backup/Archive.h"
#include "backup/Snapshots.h"
#include "messages/Msg.h"
#include "model/DeletedReports.h"
#include "platform/dao/Dao.h"
#include "platform/dao/Server.h"
#include "platform/drives/DriveTable.h"
#include "platform/files/Files.h"
#include "platform/forms/Interaction.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tqen::maintenance {

HosyuDataTab::HosyuDataTab(FrmHosyu &form) : HosyuTab(form) {
    auto *box = new QVBoxLayout(this);
    box->setContentsMargins(16, 12, 16, 12);
    auto *warning = new QLabel(FrmHosyu::DataWarning, this);
    warning->setWordWrap(true);
    box->addWidget(warning);

    auto *driveRow = new QHBoxLayout;
    cmbFDD = new QComboBox(this);
    cmbFDD->setObjectName(QStringLiteral("cmbFDD"));
    for (const char *d : {"A:", "B:", "C:", "D:", "E:", "F:", "G:"}) cmbFDD->addItem(QString::fromLatin1(d));
    driveRow->addWidget(labelFor(QStringLiteral("フロッピーディスクドライブ"), cmbFDD, this));
    driveRow->addWidget(cmbFDD);
    // Which folder of this machine the chosen letter stands for.
    lblFDD先 = new QLabel(this);
    lblFDD先->setObjectName(QStringLiteral("lblFDD先"));
    lblFDD先->setTextInteractionFlags(Qt::TextSelectableByMouse);
    driveRow->addWidget(lblFDD先, 1);
    connect(cmbFDD, &QComboBox::currentTextChanged, this, &HosyuDataTab::showDriveFolder);
    box->addLayout(driveRow);

    auto *save = new QGroupBox(QStringLiteral("保存"), this);
    auto *saveGrid = new QGridLayout(save);
    Command7 = actionRow(saveGrid, 0, QStringLiteral("Command7"), QStringLiteral("フロッピーディスクにデータをコピーする"), save);
    Command9 = actionRow(saveGrid, 1, QStringLiteral("Command9"), QStringLiteral("ハードディスク、リムーバブルディスクにコピーする"), save);
    box->addWidget(save);
    auto *read = new QGroupBox(QStringLiteral("読込む"), this);
    auto *readGrid = new QGridLayout(read);
    Command8 = actionRow(readGrid, 0, QStringLiteral("Command8"), QStringLiteral("フロッピーディスクからデータを読み込む"), read);
    Command11 = actionRow(readGrid, 1, QStringLiteral("Command11"), QStringLiteral("ハードディスク、リムーバブルディスクから読み込む"), read);
    box->addWidget(read);

    auto *undo = new QGroupBox(QStringLiteral("元に戻す"), this);
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

    FddMsg = new QLabel(this);
    FddMsg->setObjectName(QStringLiteral("FddMsg"));
    FddMsg->setAlignment(Qt::AlignCenter);
    FddMsg->setFrameShape(QFrame::StyledPanel);
    FddMsg->hide();
    box->addWidget(FddMsg);
    box->addStretch(1);
    CmdHint2 = helpButton(QStringLiteral("CmdHint2"), this);
    box->addWidget(CmdHint2, 0, Qt::AlignRight);

    connect(Command7, &QPushButton::clicked, this, &HosyuDataTab::Command7_Click);
    connect(Command8, &QPushButton::clicked, this, &HosyuDataTab::Command8_Click);
    connect(Command9, &QPushButton::clicked, this, &HosyuDataTab::SaveDataFileToHdd);
    connect(Command11, &QPushButton::clicked, this, &HosyuDataTab::ReadDataFileFromHdd);
    connect(cmd元に戻す, &QPushButton::clicked, this, &HosyuDataTab::cmd元に戻す_Click);
    connect(cmd削除を元に戻す, &QPushButton::clicked, this, &HosyuDataTab::cmd削除を元に戻す_Click);
    connect(CmdHint2, &QPushButton::clicked, this, [this] { form_.openHelp(QStringLiteral("VoRadu9.htm")); });
}

void HosyuDataTab::showDriveFolder() {
    const QString drive = cmbFDD->currentText();
    const QString folder = drives::folderOf(drive);
    lblFDD先->setText(folder.isEmpty() ? QStringLiteral("→ 未設定（%1 に %2=フォルダ の行を書きます）")
                                             .arg(drives::configPath(), drive.left(1))
                                       : QStringLiteral("→ ") + folder);
    lblFDD先->setAccessibleName(QStringLiteral("ドライブのフォルダ: ") + lblFDD先->text());
}

void HosyuDataTab::Form_Load() {
    cmbFDD->setCurrentIndex(0);
    showDriveFolder();
}

// A data database on a server is no file: copying it to a disk or a floppy,
// or replacing it with a file, is refused with a message instead of working
// on a stale local file. The server's own backups keep it.
bool HosyuDataTab::refusedOnServer(const QString &what) {
    if (!dao::isServerUri(session_.dataDbPath)) return false;
    form_.failed(Error(Error::Code::BadInput,
                 QStringLiteral("データはデータベースサーバー %1 にあるため、%2はできません。"
                                "サーバーのバックアップをお使いください。")
                     .arg(dao::serverHost(session_.dataDbPath), what),
                 dao::withoutPassword(session_.dataDbPath)));
    return true;
}

void HosyuDataTab::ReadSnapshots() {
    lst控え->clear();
    for (const backup::Snapshots::Entry &e : backup::Snapshots::inDataFolder(session_.dataFolder).list()) {
        auto *item = new QListWidgetItem(backup::Snapshots::describe(e), lst控え);
        item->setData(Qt::UserRole, e.path);
    }
    if (lst控え->count()) lst控え->setCurrentRow(0);
    cmd元に戻す->setEnabled(lst控え->count() > 0);
}

void HosyuDataTab::cmd元に戻す_Click() {
    const QListWidgetItem *item = lst控え->currentItem();
    if (!item) return;
    backup::Snapshots snaps = backup::Snapshots::inDataFolder(session_.dataFolder);
    const QString path = item->data(Qt::UserRole).toString();
    for (const backup::Snapshots::Entry &e : snaps.list()) {
        if (e.path != path) continue;
        const int answer = forms::interaction().messageBox(
            &form_,
            QStringLiteral("データを次の時点に戻します。よろしいですか。\n%1\n\n今のデータも控えとして残ります。")
                .arg(backup::Snapshots::describe(e)),
            forms::mb::YesNo | forms::mb::Question | forms::mb::DefaultButton2, QStringLiteral("元に戻す"));
        if (answer != forms::mb::IdYes) return;
        const Error error = snaps.putBack(e);
        ReadSnapshots();
        if (!error.ok()) {
            form_.failed(error);
            return;
        }
        form_.Read顧客マスタ();
        forms::interaction().messageBox(&form_, QStringLiteral("データを元に戻しました。"),
                                        forms::mb::OK | forms::mb::Information, QStringLiteral("元に戻す"));
        return;
    }
}

void HosyuDataTab::ReadDeletions() {
    lst削除->clear();
    Error error;
    for (const model::DeletedReports::Deletion &d : model::DeletedReports(session_.dataDbPath).list(&error)) {
        auto *item = new QListWidgetItem(model::DeletedReports::describe(d), lst削除);
        item->setData(Qt::UserRole, d.id);
    }
    if (!error.ok()) new QListWidgetItem(error.text(), lst削除);
    if (lst削除->count()) lst削除->setCurrentRow(0);
    cmd削除を元に戻す->setEnabled(error.ok() && lst削除->count() > 0);
}

void HosyuDataTab::cmd削除を元に戻す_Click() {
    const QListWidgetItem *item = lst削除->currentItem();
    if (!item) return;
    const qlonglong id = item->data(Qt::UserRole).toLongLong();
    for (const model::DeletedReports::Deletion &d : model::DeletedReports(session_.dataDbPath).list()) {
        if (d.id != id) continue;
        UndoDeletion(&form_, session_.dataDbPath, d);
        break;
    }
    ReadDeletions();
}

// --- Floppy set ---------------------------------------------------------------

void HosyuDataTab::Command7_Click() {
    if (refusedOnServer(QStringLiteral("フロッピーディスクへの保存"))) return;
    FddBackup backup(session_.dataFolder, cmbFDD->currentText(), &form_);
    backup.FDDBuckUp();
}

void HosyuDataTab::Command8_Click() {
    if (refusedOnServer(QStringLiteral("フロッピーディスクからの読込"))) return;
    FddBackup backup(session_.dataFolder, cmbFDD->currentText(), &form_);
    const QString restored = files::resolveCase(session_.dataFolder + QStringLiteral("Tqendata.mdb"));
    backup.beforeReplace = [restored, folder = session_.dataFolder] {
        if (!files::fileExists(restored)) return Error();
        return backup::Snapshots::inDataFolder(folder).take(restored, QStringLiteral("フロッピーディスクからの読込"));
    };
    // The customer tab's working copy came from the file just replaced: read
    // it again, or the next registration would write the old list back.
    if (backup.RestoreTQ().ok()) form_.Read顧客マスタ();
}

// --- Copies of the data file ----------------------------------------------------

namespace {

// Both copies ask for a data file by the same name, in the same place.
ModApi::FileDialogRequest dataFileRequest(const QString &title) {
    ModApi::FileDialogRequest request;
    request.title = title;
    request.filter = QStringLiteral("MDB ファイル(*.mdb)|*.mdb|");
    request.filterIndex = 1;
    request.defaultName = QStringLiteral("Tqendata.mdb");
    request.initialFolder = QStringLiteral("c:\\");
    return request;
}

}  // namespace

void HosyuDataTab::SaveDataFileToHdd() {
    if (refusedOnServer(QStringLiteral("データファイルのコピー"))) return;
    ModApi::FileDialogRequest request = dataFileRequest(QStringLiteral("ファイルの保存..."));
    if (!ModApi::SaveFileDialog(&form_, request)) return;
    const QString dest = request.chosenPath;
    if (forms::interaction().shellCopy(&form_, session_.dataDbPath, dest, QStringLiteral("コピー")) == 0)
        MSG::ShowMessage(QStringLiteral("その他"), QStringLiteral("コピー完了"), dest + QStringLiteral(" に"));
}

void HosyuDataTab::ReadDataFileFromHdd() {
    if (refusedOnServer(QStringLiteral("データファイルの読込"))) return;
    ModApi::FileDialogRequest request = dataFileRequest(QStringLiteral("ファイルの読込..."));
    if (!ModApi::OpenFileDialog(&form_, request)) return;
    const QString src = request.chosenPath;
    // A data file of the Windows program is converted beside itself and
    // becomes the data file; the data file in use stays as it is.
    switch (OfferConversion(&form_, session_, src)) {
    case Conversion::NotWindowsFile: break;
    case Conversion::Converted:
        form_.showDataPath(session_.env.DataPath);
        form_.Read顧客マスタ();
        return;
    case Conversion::Declined:
    case Conversion::Failed: return;
    }
    // A file that is not a data database would leave every screen empty.
    if (Error e = dao::checkDatabase(src, backup::dataTables()); !e.ok()) {
        form_.failed(e);
        return;
    }
    if (files::fileExists(session_.dataDbPath)) {
        if (Error e = form_.safetySnapshot(QStringLiteral("ほかのディスクからの読込")); !e.ok()) {
            form_.failed(e);
            return;
        }
    }
    if (forms::interaction().shellCopy(&form_, src, session_.dataDbPath, QStringLiteral("コピー")) == 0) {
        form_.Read顧客マスタ();
        MSG::ShowMessage(QStringLiteral("その他"), QStringLiteral("読込み完了"), session_.dataDbPath + QStringLiteral(" に"));
    }
}

}  // namespace tqen::maintenance
