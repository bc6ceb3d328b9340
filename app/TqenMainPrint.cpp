// The main screen's print button: the print conditions open over the form
// with the entry's customer, staff member and day.
#include "app/TqenMain.h"

#include "app/PrintPanel.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/DateBox.h"

#include <QPushButton>

namespace tqen {

void TqenMain::cmd印刷_Click() { Cn印刷条件->open(cmb顧客名->Text(), cmb担当->Text(), txt日付->date()); }

}  // namespace tqen
