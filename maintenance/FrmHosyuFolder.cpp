// The folder tab of the maintenance form: where the dated archives go, how
// many stay, the daily backup at start-up, a backup now and a restore.
#include "maintenance/FrmHosyu.h"

#include "backup/FolderArchives.h"
#include "core/BackupSettings.h"
#include "core/Globals.h"
#include "core/ModApi.h"
#include "maintenance/FolderBackup.h"
#include "platform/forms/Interaction.h"
#include "platform/forms/TextBox.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QSpinBox>

namespace tqen {

namespace {

const QString kTitle = QStringLiteral("フォルダに保存");

QString lastText(const QDateTime &t) {
    return t.isValid() ? t.toString(QStringLiteral("yyyy/MM/dd HH:mm")) : QStringLiteral("まだ保存していません");
}

}  // namespace

void FrmHosyu::ReadBackupSettings() {
    Error error;
    const BackupSettings s = BackupSettings::read(G().WorkDbPath, &error);
    txt保存先->setText(s.Folder);
    spn保存数->setValue(s.Keep);
    chk毎日->setChecked(s.Daily);
    lbl最終保存->setText(lastText(s.LastBackup));
}

Error FrmHosyu::EntryBackupSettings() {
    // The last backup time is kept as stored; only the three choices change.
    BackupSettings s = BackupSettings::read(G().WorkDbPath);
    s.Folder = txt保存先->Text().trimmed();
    s.Keep = spn保存数->value();
    s.Daily = chk毎日->isChecked();
    return s.write(G().WorkDbPath);
}

void FrmHosyu::cmd保存先参照_Click() {
    // The file dialog picks the folder by the archive that would be written.
    ModApi::FileDialogRequest request;
    request.title = QStringLiteral("保存先のフォルダを指定する");
    request.filter = QStringLiteral("LZH ファイル(*.lzh)|*.lzh|");
    request.filterIndex = 1;
    request.defaultName = backup::FolderArchives::archiveName(QDateTime::currentDateTime());
    request.initialFolder = txt保存先->Text();
    if (ModApi::SaveFileDialog(this, request)) txt保存先->setText(QFileInfo(request.chosenPath).absolutePath());
}

void FrmHosyu::cmdフォルダ保存_Click() {
    BackupSettings s = BackupSettings::read(G().WorkDbPath);
    s.Folder = txt保存先->Text().trimmed();
    s.Keep = spn保存数->value();
    s.Daily = chk毎日->isChecked();
    if (s.Folder.isEmpty()) {
        forms::interaction().messageBox(this, QStringLiteral("保存先のフォルダを指定してください。"),
                                        forms::mb::OK | forms::mb::Exclamation, kTitle);
        txt保存先->setFocus();
        return;
    }
    showWait(QStringLiteral("フォルダに保存中です･･･"));
    QString written;
    const Error e = maintenance::FolderBackup::backupNow(s, QDateTime::currentDateTime(), &written);
    hideWait();
    if (!e.ok()) {
        failed(e);
        return;
    }
    lbl最終保存->setText(lastText(s.LastBackup));
    forms::interaction().messageBox(this, QStringLiteral("保存が終了しました。") + u'\n' + written,
                                    forms::mb::OK | forms::mb::Information, kTitle);
}

void FrmHosyu::cmdフォルダ読込_Click() {
    ModApi::FileDialogRequest request;
    request.title = QStringLiteral("読み込む書庫を指定する");
    request.filter = QStringLiteral("バックアップの書庫(TqenData-*.lzh)|TqenData-*.lzh|");
    request.filterIndex = 1;
    request.initialFolder = txt保存先->Text();
    if (!ModApi::OpenFileDialog(this, request)) return;
    const int answer = forms::interaction().messageBox(
        this,
        QStringLiteral("次の書庫からデータを読み込みます。現在使用中のデータは上書きされます。よろしいですか。\n%1\n\n"
                       "今のデータは控えとして残ります。")
            .arg(request.chosenPath),
        forms::mb::YesNo | forms::mb::Question | forms::mb::DefaultButton2, QStringLiteral("フォルダの書庫からの読込"));
    if (answer != forms::mb::IdYes) return;
    const Error e = maintenance::FolderBackup::restore(request.chosenPath, this);
    ReadSnapshots();
    if (!e.ok()) return;  // already told
    Read顧客マスタ();
    forms::interaction().messageBox(this, QStringLiteral("読込が終了しました。"), forms::mb::OK | forms::mb::Information,
                                    QStringLiteral("フォルダの書庫からの読込"));
}

}  // namespace tqen
