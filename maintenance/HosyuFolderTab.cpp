// The folder tab of the maintenance form: where the dated archives go, how
// many stay, the daily backup at start-up, a backup now and a restore.
#include "maintenance/HosyuFolderTab.h"

#include "model/BackupSettings.h"
#include "core/ModApi.h"
#include "maintenance/FolderBackup.h"
#include "backup/FolderArchives.h"
#include "maintenance/FrmHosyu.h"
#include "platform/forms/Interaction.h"
#include "platform/forms/TextBox.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace tqen::maintenance {

namespace {

const QString kTitle = QStringLiteral("フォルダに保存");

QString lastText(const QDateTime &t) {
    return t.isValid() ? t.toString(QStringLiteral("yyyy/MM/dd HH:mm")) : QStringLiteral("まだ保存していません");
}

}  // namespace

HosyuFolderTab::HosyuFolderTab(FrmHosyu &form) : HosyuTab(form) {
    auto *box = new QVBoxLayout(this);
    box->setContentsMargins(16, 12, 16, 12);
    auto *about = new QLabel(QStringLiteral("データを USB メモリやネットワークのフォルダに、日時の付いた書庫 "
                                            "(TqenData-年月日-時分.lzh) として保存します。"),
                             this);
    about->setWordWrap(true);
    box->addWidget(about);

    auto *settings = new QGroupBox(QStringLiteral("保存先"), this);
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

    auto *actions = new QGroupBox(QStringLiteral("保存と読込み"), this);
    auto *actionGrid = new QGridLayout(actions);
    cmdフォルダ保存 = actionRow(actionGrid, 0, QStringLiteral("cmdフォルダ保存"), QStringLiteral("いま保存先のフォルダに保存する"), actions);
    cmdフォルダ読込 = actionRow(actionGrid, 1, QStringLiteral("cmdフォルダ読込"), QStringLiteral("保存先のフォルダの書庫から読み込む"), actions);
    box->addWidget(actions);
    auto *note = new QLabel(QStringLiteral("設定は「登録」で保存されます。読込みの前には、今のデータが控えとして残ります。"), this);
    note->setWordWrap(true);
    box->addWidget(note);
    box->addStretch(1);
    auto *help = helpButton(QStringLiteral("CmdHint3"), this);
    box->addWidget(help, 0, Qt::AlignRight);

    connect(cmd保存先参照, &QPushButton::clicked, this, &HosyuFolderTab::cmd保存先参照_Click);
    connect(cmdフォルダ保存, &QPushButton::clicked, this, &HosyuFolderTab::cmdフォルダ保存_Click);
    connect(cmdフォルダ読込, &QPushButton::clicked, this, &HosyuFolderTab::cmdフォルダ読込_Click);
    connect(help, &QPushButton::clicked, this, [this] { form_.openHelp(QStringLiteral("VoRadu9.htm")); });
}

void HosyuFolderTab::ReadBackupSettings() {
    Error error;
    const BackupSettings s = BackupSettings::read(session_.workDbPath, &error);
    txt保存先->setText(s.Folder);
    spn保存数->setValue(s.Keep);
    chk毎日->setChecked(s.Daily);
    lbl最終保存->setText(lastText(s.LastBackup));
}

Error HosyuFolderTab::EntryBackupSettings() {
    // The last backup time is kept as stored; only the three choices change.
    BackupSettings s = BackupSettings::read(session_.workDbPath);
    s.Folder = txt保存先->Text().trimmed();
    s.Keep = spn保存数->value();
    s.Daily = chk毎日->isChecked();
    return s.write(session_.workDbPath);
}

void HosyuFolderTab::cmd保存先参照_Click() {
    // The file dialog picks the folder by the archive that would be written.
    ModApi::FileDialogRequest request;
    request.title = QStringLiteral("保存先のフォルダを指定する");
    request.filter = QStringLiteral("LZH ファイル(*.lzh)|*.lzh|");
    request.filterIndex = 1;
    request.defaultName = backup::FolderArchives::archiveName(QDateTime::currentDateTime());
    request.initialFolder = txt保存先->Text();
    if (ModApi::SaveFileDialog(&form_, request)) txt保存先->setText(QFileInfo(request.chosenPath).absolutePath());
}

void HosyuFolderTab::cmdフォルダ保存_Click() {
    BackupSettings s = BackupSettings::read(session_.workDbPath);
    s.Folder = txt保存先->Text().trimmed();
    s.Keep = spn保存数->value();
    s.Daily = chk毎日->isChecked();
    if (s.Folder.isEmpty()) {
        forms::interaction().messageBox(&form_, QStringLiteral("保存先のフォルダを指定してください。"),
                                        forms::mb::OK | forms::mb::Exclamation, kTitle);
        txt保存先->setFocus();
        return;
    }
    form_.showWait(QStringLiteral("フォルダに保存中です･･･"));
    QString written;
    const Error e = FolderBackup::backupNow(session_, s, QDateTime::currentDateTime(), &written);
    form_.hideWait();
    if (!e.ok()) {
        form_.failed(e);
        return;
    }
    lbl最終保存->setText(lastText(s.LastBackup));
    forms::interaction().messageBox(&form_, QStringLiteral("保存が終了しました。") + u'\n' + written,
                                    forms::mb::OK | forms::mb::Information, kTitle);
}

void HosyuFolderTab::cmdフォルダ読込_Click() {
    ModApi::FileDialogRequest request;
    request.title = QStringLiteral("読み込む書庫を指定する");
    request.filter = QStringLiteral("バックアップの書庫(TqenData-*.lzh)|TqenData-*.lzh|");
    request.filterIndex = 1;
    request.initialFolder = txt保存先->Text();
    if (!ModApi::OpenFileDialog(&form_, request)) return;
    const int answer = forms::interaction().messageBox(
        &form_,
        QStringLiteral("次の書庫からデータを読み込みます。現在使用中のデータは上書きされます。よろしいですか。\n%1\n\n"
                       "今のデータは控えとして残ります。")
            .arg(request.chosenPath),
        forms::mb::YesNo | forms::mb::Question | forms::mb::DefaultButton2, QStringLiteral("フォルダの書庫からの読込"));
    if (answer != forms::mb::IdYes) return;
    const Error e = FolderBackup::restore(session_, request.chosenPath, &form_);
    form_.ReadSnapshots();
    if (!e.ok()) return;  // already told
    form_.Read顧客マスタ();
    forms::interaction().messageBox(&form_, QStringLiteral("読込が終了しました。"), forms::mb::OK | forms::mb::Information,
                                    QStringLiteral("フォルダの書庫からの読込"));
}

}  // namespace tqen::maintenance
