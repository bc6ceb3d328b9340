// The data tab and the deletion tab of the maintenance form: the floppy set,
// the disk copies of the data file and the bulk deletions.
#include "maintenance/FrmHosyu.h"

#include "core/DeletionUndo.h"
#include "core/Globals.h"
#include "core/ModApi.h"
#include "maintenance/FddBackup.h"
#include "maintenance/JetConversion.h"
#include "backup/Archive.h"
#include "backup/Snapshots.h"
#include "messages/Msg.h"
#include "platform/dao/Dao.h"
#include "platform/dao/Server.h"
#include "platform/files/Files.h"
#include "platform/forms/Interaction.h"
#include "platform/forms/TextBox.h"

#include <QComboBox>
#include <QListWidget>
#include <QPushButton>

namespace tqen {

// A data database on a server is no file: copying it to a disk or a floppy,
// or replacing it with a file, is refused with a message instead of working
// on a stale local file. The server's own backups keep it.
bool FrmHosyu::refusedOnServer(const QString &what) {
    if (!dao::isServerUri(G().DataDbPath)) return false;
    failed(Error(Error::Code::BadInput,
                 QStringLiteral("データはデータベースサーバー %1 にあるため、%2はできません。"
                                "サーバーのバックアップをお使いください。")
                     .arg(dao::serverHost(G().DataDbPath), what),
                 dao::withoutPassword(G().DataDbPath)));
    return true;
}

Error FrmHosyu::safetySnapshot(const QString &operation) {
    // The deletions on a server run in one transaction; a snapshot is a copy
    // of a data file and has nothing to copy there.
    if (dao::isServerUri(G().DataDbPath)) return {};
    Error e = backup::Snapshots::inDataFolder(G().DataFolder).take(G().DataDbPath, operation);
    ReadSnapshots();
    return e;
}

void FrmHosyu::ReadSnapshots() {
    lst控え->clear();
    for (const backup::Snapshots::Entry &e : backup::Snapshots::inDataFolder(G().DataFolder).list()) {
        auto *item = new QListWidgetItem(backup::Snapshots::describe(e), lst控え);
        item->setData(Qt::UserRole, e.path);
    }
    if (lst控え->count()) lst控え->setCurrentRow(0);
    cmd元に戻す->setEnabled(lst控え->count() > 0);
}

void FrmHosyu::cmd元に戻す_Click() {
    const QListWidgetItem *item = lst控え->currentItem();
    if (!item) return;
    backup::Snapshots snaps = backup::Snapshots::inDataFolder(G().DataFolder);
    const QString path = item->data(Qt::UserRole).toString();
    for (const backup::Snapshots::Entry &e : snaps.list()) {
        if (e.path != path) continue;
        const int answer = forms::interaction().messageBox(
            this,
            QStringLiteral("データを次の時点に戻します。よろしいですか。\n%1\n\n今のデータも控えとして残ります。")
                .arg(backup::Snapshots::describe(e)),
            forms::mb::YesNo | forms::mb::Question | forms::mb::DefaultButton2, QStringLiteral("元に戻す"));
        if (answer != forms::mb::IdYes) return;
        const Error error = snaps.putBack(e);
        ReadSnapshots();
        if (!error.ok()) {
            failed(error);
            return;
        }
        Read顧客マスタ();
        forms::interaction().messageBox(this, QStringLiteral("データを元に戻しました。"),
                                        forms::mb::OK | forms::mb::Information, QStringLiteral("元に戻す"));
        return;
    }
}

void FrmHosyu::ReadDeletions() {
    lst削除->clear();
    Error error;
    for (const model::DeletedReports::Deletion &d : model::DeletedReports(G().DataDbPath).list(&error)) {
        auto *item = new QListWidgetItem(model::DeletedReports::describe(d), lst削除);
        item->setData(Qt::UserRole, d.id);
    }
    if (!error.ok()) new QListWidgetItem(error.text(), lst削除);
    if (lst削除->count()) lst削除->setCurrentRow(0);
    cmd削除を元に戻す->setEnabled(error.ok() && lst削除->count() > 0);
}

void FrmHosyu::cmd削除を元に戻す_Click() {
    const QListWidgetItem *item = lst削除->currentItem();
    if (!item) return;
    const qlonglong id = item->data(Qt::UserRole).toLongLong();
    for (const model::DeletedReports::Deletion &d : model::DeletedReports(G().DataDbPath).list()) {
        if (d.id != id) continue;
        UndoDeletion(this, G().DataDbPath, d);
        break;
    }
    ReadDeletions();
}

// --- Floppy set ---------------------------------------------------------------

void FrmHosyu::Command7_Click() {
    if (refusedOnServer(QStringLiteral("フロッピーディスクへの保存"))) return;
    maintenance::FddBackup backup(cmbFDD->currentText(), this);
    backup.FDDBuckUp();
}

void FrmHosyu::Command8_Click() {
    if (refusedOnServer(QStringLiteral("フロッピーディスクからの読込"))) return;
    maintenance::FddBackup backup(cmbFDD->currentText(), this);
    const QString restored = files::resolveCase(G().DataFolder + QStringLiteral("Tqendata.mdb"));
    backup.beforeReplace = [restored] {
        if (!files::fileExists(restored)) return Error();
        return backup::Snapshots::inDataFolder(G().DataFolder).take(restored, QStringLiteral("フロッピーディスクからの読込"));
    };
    // The customer tab's working copy came from the file just replaced: read
    // it again, or the next registration would write the old list back.
    if (backup.RestoreTQ().ok()) Read顧客マスタ();
}

// --- Copies of the data file ----------------------------------------------------

void FrmHosyu::SaveDataFileToHdd() {
    if (refusedOnServer(QStringLiteral("データファイルのコピー"))) return;
    ModApi::FileDialogRequest request;
    request.title = QStringLiteral("ファイルの保存...");
    request.filter = QStringLiteral("MDB ファイル(*.mdb)|*.mdb|");
    request.filterIndex = 1;
    request.defaultName = QStringLiteral("Tqendata.mdb");
    request.initialFolder = QStringLiteral("c:\\");
    if (!ModApi::SaveFileDialog(this, request)) return;
    const QString dest = request.chosenPath;
    if (forms::interaction().shellCopy(this, G().DataDbPath, dest, QStringLiteral("コピー")) == 0)
        MSG::ShowMessage(QStringLiteral("その他"), QStringLiteral("コピー完了"), dest + QStringLiteral(" に"));
}

void FrmHosyu::ReadDataFileFromHdd() {
    if (refusedOnServer(QStringLiteral("データファイルの読込"))) return;
    ModApi::FileDialogRequest request;
    request.title = QStringLiteral("ファイルの読込...");
    request.filter = QStringLiteral("MDB ファイル(*.mdb)|*.mdb|");
    request.filterIndex = 1;
    request.defaultName = QStringLiteral("Tqendata.mdb");
    request.initialFolder = QStringLiteral("c:\\");
    if (!ModApi::OpenFileDialog(this, request)) return;
    const QString src = request.chosenPath;
    // A data file of the Windows program is converted beside itself and
    // becomes the data file; the data file in use stays as it is.
    switch (maintenance::OfferConversion(this, src)) {
    case maintenance::Conversion::NotWindowsFile: break;
    case maintenance::Conversion::Converted:
        txtDataPath->setText(G().Env.DataPath);
        Read顧客マスタ();
        return;
    case maintenance::Conversion::Declined:
    case maintenance::Conversion::Failed: return;
    }
    // A file that is not a data database would leave every screen empty.
    if (Error e = dao::checkDatabase(src, backup::dataTables()); !e.ok()) {
        failed(e);
        return;
    }
    if (files::fileExists(G().DataDbPath)) {
        if (Error e = safetySnapshot(QStringLiteral("ほかのディスクからの読込")); !e.ok()) {
            failed(e);
            return;
        }
    }
    if (forms::interaction().shellCopy(this, src, G().DataDbPath, QStringLiteral("コピー")) == 0) {
        Read顧客マスタ();
        MSG::ShowMessage(QStringLiteral("その他"), QStringLiteral("読込み完了"), G().DataDbPath + QStringLiteral(" に"));
    }
}

// --- Deletions -------------------------------------------------------------------

Error FrmHosyu::runOnData(const QStringList &statements, const QString &what, bool keepReports) {
    const QString text = what + QStringLiteral(" を削除できませんでした。データは元のままです。");
    if (Error e = safetySnapshot(what + QStringLiteral("の削除")); !e.ok()) return e;
    auto data = dao::Database::open(G().DataDbPath);
    if (!data.beginTrans()) return dao::failure(text, data);
    // The reports are kept as one deletion (also on a server, which has no
    // snapshot), so this form's list can put them back.
    if (keepReports) {
        if (Error e = model::DeletedReports(G().DataDbPath).removeAllIn(data, what); !e.ok()) {
            data.rollback();
            return Error(e.code(), text, e.detail());
        }
    }
    for (const QString &sql : statements) {
        if (!data.execute(sql)) {
            Error e = dao::failure(text, data);
            data.rollback();
            return e;
        }
    }
    if (!data.commitTrans()) {
        Error e = dao::failure(text, data);
        data.rollback();
        return e;
    }
    return {};
}

bool FrmHosyu::deleteWithMessages(const QString &subject, const QStringList &statements, bool withMessages,
                                  bool keepReports) {
    const QString group = QStringLiteral("削除");
    if (withMessages && !MSG::ShowMessage(group, QStringLiteral("伝票確認2"), subject)) return false;
    const Error e = runOnData(statements, subject, keepReports);
    if (keepReports) ReadDeletions();
    if (!e.ok()) {
        failed(e);
        return false;
    }
    if (withMessages) MSG::ShowMessage(group, QStringLiteral("伝票完了2"), subject);
    return true;
}

bool FrmHosyu::DeleteAllKokyaku(bool withMessages) {
    if (!deleteWithMessages(QStringLiteral("すべての顧客情報"), {QStringLiteral("delete * from 顧客マスタ")}, withMessages))
        return false;
    Read顧客マスタ();   // the customer tab shows the emptied master
    return true;
}

bool FrmHosyu::DeleteAll日報(bool withMessages) {
    return deleteWithMessages(QStringLiteral("すべての営業日報"), {QStringLiteral("delete * from 営業日報")}, withMessages,
                              true);
}

void FrmHosyu::Command5_Click() {
    deleteWithMessages(QStringLiteral("すべてのコード表"), {QStringLiteral("update コードマスタ set sname = null ")}, true);
}

// Everything goes in one transaction: a failure half-way deletes nothing.
bool FrmHosyu::DeleteAllData() {
    if (!deleteWithMessages(QStringLiteral("すべてのデータ"),
                            {QStringLiteral("delete * from 顧客マスタ"), QStringLiteral("update コードマスタ set sname = null "),
                             QStringLiteral("delete * from 営業日報")},
                            true, true))
        return false;
    Read顧客マスタ();
    return true;
}

}  // namespace tqen
