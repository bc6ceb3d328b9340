// The main screen's customer and staff selection: the staff and customer
// lists, blanking the entry panel, and taking the customer chosen in the
// kana index into the entry.
#include "app/TqenMain.h"

#include "app/CustomerIndexTab.h"
#include "app/EntryPanel.h"
#include "app/PrintPanel.h"

#include "model/CodeTable.h"
#include "model/Customers.h"

#include <QTabWidget>

namespace tqen {

void TqenMain::SetComb(const QString &kind) {
    const bool staff = kind == QStringLiteral("すべて") || kind == QStringLiteral("担当");
    const bool customers = kind == QStringLiteral("すべて") || kind == QStringLiteral("顧客名");
    if (!staff && !customers) return;
    // The print panel's boxes take the same lists.
    if (staff) {
        const QStringList names = model::CodeTable::names(session_.dataDbPath, QStringLiteral("担当"));
        entry_->setStaffNames(names);
        Cn印刷条件->setStaffNames(names);
    }
    if (customers) {
        const QStringList names = model::Customers::names(session_.dataDbPath, entry_->staff());
        entry_->setCustomerNames(names);
        Cn印刷条件->setCustomerNames(names);
    }
}

void TqenMain::BlankForm() {
    model::Customers::writeIndex(session_.workDbPath, {});
    entry_->blank();
    handOver_.reset();
    calendarDate_ = QDate::currentDate();
    SetClalendar();
}

void TqenMain::cmd_Enter_Click() {
    const QVariant name = indexTab_->chosenName();
    if (name.isNull()) return;
    SSTab1->setCurrentIndex(1);
    entry_->setCustomer(name.toString());
    const QVariant reading = indexTab_->chosenReading();
    if (!reading.isNull()) entry_->setReading(reading.toString());
}

}  // namespace tqen
