#pragma once
// The data tab of the maintenance form: the floppy set, the disk copies of
// the data file, the safety snapshots and the reports deleted in the last
// days, each list with its button to put one back.
#include "maintenance/HosyuTab.h"

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace tqen::maintenance {

class HosyuDataTab : public HosyuTab {
    Q_OBJECT
public:
    explicit HosyuDataTab(FrmHosyu &form);

    // The first drive and the folder it stands for.
    void Form_Load();

    // Floppy backup set and disk copies of the data file.
    void Command7_Click();
    void Command8_Click();
    void SaveDataFileToHdd();
    void ReadDataFileFromHdd();

    // Safety snapshots: the list and putting the chosen one back.
    void ReadSnapshots();
    void cmd元に戻す_Click();
    // Reports deleted in the last days: the list and putting the chosen
    // deletion back.
    void ReadDeletions();
    void cmd削除を元に戻す_Click();

private:
    // Shows beside the drive box which folder the chosen letter stands for.
    void showDriveFolder();
    bool refusedOnServer(const QString &what);

    QComboBox *cmbFDD = nullptr;
    QLabel *lblFDD先 = nullptr;
    QPushButton *Command7 = nullptr;
    QPushButton *Command9 = nullptr;
    QPushButton *Command8 = nullptr;
    QPushButton *Command11 = nullptr;
    QListWidget *lst控え = nullptr;
    QPushButton *cmd元に戻す = nullptr;
    QListWidget *lst削除 = nullptr;
    QPushButton *cmd削除を元に戻す = nullptr;
    QLabel *FddMsg = nullptr;
    QPushButton *CmdHint2 = nullptr;
};

}  // namespace tqen::maintenance
