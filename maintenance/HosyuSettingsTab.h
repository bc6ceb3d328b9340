#pragma once
// The settings tab of the maintenance form: the data path, the date style
// and the program's version.
#include "maintenance/HosyuTab.h"

class QComboBox;
class QLabel;
class QPushButton;
class QToolButton;

namespace tqen::forms {
class TextBox;
}

namespace tqen::maintenance {

class HosyuSettingsTab : public HosyuTab {
    Q_OBJECT
public:
    explicit HosyuSettingsTab(FrmHosyu &form);

    // The version label and the two date styles.
    void Form_Load();
    QString dataPath() const;
    void setDataPath(const QString &path);
    void focusDataPath();
    QString era() const;
    // Shows a date style; one the list lacks shows as the first.
    void setEra(const QString &era);
    void focusEra();

    // Chooses the data file (a Windows one is converted first).
    void Command2_Click();

private:
    forms::TextBox *txtDataPath = nullptr;
    QPushButton *Command2 = nullptr;
    QComboBox *cmb年号 = nullptr;
    QLabel *LblUpdate = nullptr;
    QToolButton *Image1 = nullptr;
    QPushButton *cmdHint1 = nullptr;
};

}  // namespace tqen::maintenance
