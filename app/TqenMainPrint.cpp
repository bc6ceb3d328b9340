// The main screen's print button: the print conditions open over the form
// with the entry's customer, staff member and day.
#include "app/TqenMain.h"

#include "app/EntryPanel.h"
#include "app/PrintPanel.h"

namespace tqen {

void TqenMain::cmd印刷_Click() { Cn印刷条件->open(entry_->customer(), entry_->staff(), entry_->day()); }

}  // namespace tqen
