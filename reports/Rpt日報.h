#pragma once
// The printed daily reports: one card per row of w日報印刷 - date, customer
// and staff on the first line, the title on the second, the memo below - under
// a page header with the print date and the page number. A report's next
// step closes its memo on a line of its own.
#include "platform/reporting/Report.h"

#include <QHash>
#include <QString>

namespace tqen {

class Rpt日報 : public reporting::Report {
public:
    Rpt日報();

protected:
    void ActiveReport_ReportStart() override;
    void PageHeader_Format() override;
    void Detail_Format() override;

private:
    // Each report's next step as a line, read once per print.
    QHash<QString, QString> steps_;
    bool stepsRead_ = false;
};

}  // namespace tqen
