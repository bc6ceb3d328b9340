#pragma once
// The customer tab of the maintenance form: a working copy of the customer
// master that the grid edits, written back when ticked rows are deleted or
// the form is registered.
#include "maintenance/HosyuTab.h"
#include "platform/error/Error.h"

class QPushButton;

namespace tqen::forms {
class DataControl;
class DataGrid;
}  // namespace tqen::forms

namespace tqen::maintenance {

class HosyuCustomerTab : public HosyuTab {
    Q_OBJECT
public:
    explicit HosyuCustomerTab(FrmHosyu &form);

    // Binds the grid to the working copy.
    void Form_Load();
    void Read顧客マスタ();
    void DeleteLine顧客();
    Error Entry顧客マスタ();
    // Empties the working copy.
    void clear();

private:
    forms::DataControl *dat顧客 = nullptr;
    forms::DataGrid *Grid顧客 = nullptr;
    QPushButton *cmd読込 = nullptr;
    QPushButton *cmd削除 = nullptr;
    QPushButton *Command4 = nullptr;
};

}  // namespace tqen::maintenance
