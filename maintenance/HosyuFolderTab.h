#pragma once
// The folder tab of the maintenance form: where the dated archives go, how
// many stay, the daily backup at start-up, a backup now and a restore.
#include "maintenance/HosyuTab.h"
#include "platform/error/Error.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace tqen::forms {
class TextBox;
}

namespace tqen::maintenance {

class HosyuFolderTab : public HosyuTab {
    Q_OBJECT
public:
    explicit HosyuFolderTab(FrmHosyu &form);

    void ReadBackupSettings();
    Error EntryBackupSettings();
    void cmd保存先参照_Click();
    void cmdフォルダ保存_Click();
    void cmdフォルダ読込_Click();

private:
    forms::TextBox *txt保存先 = nullptr;
    QPushButton *cmd保存先参照 = nullptr;
    QSpinBox *spn保存数 = nullptr;
    QCheckBox *chk毎日 = nullptr;
    QLabel *lbl最終保存 = nullptr;
    QPushButton *cmdフォルダ保存 = nullptr;
    QPushButton *cmdフォルダ読込 = nullptr;
};

}  // namespace tqen::maintenance
