#pragma once
// The deletion tab of the maintenance form: every customer, every report,
// the code table's names, or all of them, after asking.
#include "maintenance/HosyuTab.h"
#include "model/DataDeletion.h"

class QPushButton;

namespace tqen::maintenance {

class HosyuDeletionTab : public HosyuTab {
    Q_OBJECT
public:
    explicit HosyuDeletionTab(FrmHosyu &form);

    // False when the user said no or a step failed.
    bool DeleteAllKokyaku(bool withMessages);
    bool DeleteAll日報(bool withMessages);
    void Command5_Click();
    bool DeleteAllData();

private:
    // Asks (withMessages), takes a snapshot and deletes the parts in one
    // transaction; false when the user said no or a step failed.
    bool deleteWithMessages(const QString &subject, model::DataDeletion::Parts parts, bool withMessages);

    QPushButton *Command1 = nullptr;
    QPushButton *Command6 = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *Command5 = nullptr;
    QPushButton *Command10 = nullptr;
};

}  // namespace tqen::maintenance
