#pragma once
// The maintenance form: the settings (data file, date style), the floppy and
// disk copies of the data file, the customer list and the bulk deletions.
#include "platform/error/Error.h"
#include "platform/forms/Form.h"

class QCheckBox;
class QKeyEvent;
class QComboBox;
class QSpinBox;
class QListWidget;
class QLabel;
class QPushButton;
class QToolButton;
class QTabWidget;

namespace tqen::forms {
class DataControl;
class DataGrid;
class FramedPanel;
class TextBox;
}  // namespace tqen::forms

namespace tqen {

class FrmHosyu : public forms::Form {
    Q_OBJECT
public:
    FrmHosyu();
    ~FrmHosyu() override;

    // Version label, date styles, settings, first drive, customer list.
    void Form_Load();

    // Settings of 管理.
    void ReadEnv();
    bool EntryEnv();
    void Clear保守画面();
    void Command2_Click();

    // Floppy backup set and disk copies of the data file.
    void Command7_Click();
    void Command8_Click();
    void SaveDataFileToHdd();
    void ReadDataFileFromHdd();

    // Backup to a folder: its settings, a backup now and a restore from one
    // of its archives.
    void ReadBackupSettings();
    Error EntryBackupSettings();
    void cmd保存先参照_Click();
    void cmdフォルダ保存_Click();
    void cmdフォルダ読込_Click();

    // Safety snapshots: the list and putting the chosen one back.
    void ReadSnapshots();
    void cmd元に戻す_Click();
    // Reports deleted in the last days: the list and putting the chosen
    // deletion back.
    void ReadDeletions();
    void cmd削除を元に戻す_Click();

    // Customer list.
    void Read顧客マスタ();
    void DeleteLine顧客();
    Error Entry顧客マスタ();

    // Bulk deletions; false when the user said no or a step failed.
    bool DeleteAllKokyaku(bool withMessages);
    bool DeleteAll日報(bool withMessages);
    void Command5_Click();
    bool DeleteAllData();

signals:
    // The settings were registered (the date style applies at once).
    void settingsRegistered();

private:
    void buildForm();
    bool formKey(QKeyEvent *e);
    QWidget *buildSettingsTab();
    QWidget *buildDataTab();
    QWidget *buildCustomerTab();
    QWidget *buildDeletionTab();
    QWidget *buildFolderTab();
    void openHelp(const QString &page);
    // Shows beside the drive box which folder the chosen letter stands for.
    void showDriveFolder();
    void showWait(const QString &text);
    void hideWait();
    void failed(const Error &e);
    // Snapshot of the data file in use before an operation that rewrites it.
    Error safetySnapshot(const QString &operation);
    bool refusedOnServer(const QString &what);
    // Runs statements on the data database in one transaction; with
    // keepReports, every report is first kept as a deletion to put back.
    Error runOnData(const QStringList &statements, const QString &what, bool keepReports = false);
    bool deleteWithMessages(const QString &subject, const QStringList &statements, bool withMessages,
                            bool keepReports = false);

    QTabWidget *SSTab = nullptr;
    forms::TextBox *txtDataPath = nullptr;
    QPushButton *Command2 = nullptr;
    QComboBox *cmb年号 = nullptr;
    QLabel *LblUpdate = nullptr;
    QToolButton *Image1 = nullptr;
    QPushButton *cmdHint1 = nullptr;
    QComboBox *cmbFDD = nullptr;
    QLabel *lblFDD先 = nullptr;
    QPushButton *Command7 = nullptr;
    QPushButton *Command9 = nullptr;
    QPushButton *Command8 = nullptr;
    QPushButton *Command11 = nullptr;
    QLabel *FddMsg = nullptr;
    QPushButton *CmdHint2 = nullptr;
    forms::TextBox *txt保存先 = nullptr;
    QPushButton *cmd保存先参照 = nullptr;
    QSpinBox *spn保存数 = nullptr;
    QCheckBox *chk毎日 = nullptr;
    QLabel *lbl最終保存 = nullptr;
    QPushButton *cmdフォルダ保存 = nullptr;
    QPushButton *cmdフォルダ読込 = nullptr;
    QListWidget *lst控え = nullptr;
    QPushButton *cmd元に戻す = nullptr;
    QListWidget *lst削除 = nullptr;
    QPushButton *cmd削除を元に戻す = nullptr;
    forms::DataControl *dat顧客 = nullptr;
    forms::DataGrid *Grid顧客 = nullptr;
    QPushButton *cmd読込 = nullptr;
    QPushButton *cmd削除 = nullptr;
    QPushButton *Command4 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command6 = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *Command5 = nullptr;
    QPushButton *Command10 = nullptr;
    QPushButton *cmd登録 = nullptr;
    QPushButton *cmdクリア = nullptr;
    QPushButton *cmd閉じる = nullptr;
    QPushButton *cmd戻る = nullptr;
    QPushButton *cmdメニュー = nullptr;
    forms::FramedPanel *CnMsg = nullptr;
    QLabel *LMsg = nullptr;
};

}  // namespace tqen
