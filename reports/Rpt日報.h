#pragma once
// The printed daily reports: one card per row of w日報印刷 - date, customer
// and staff on the first line, the title on the second, the memo below - under
// a page header with the print date and the page number.
#include "platform/reporting/Report.h"

namespace tqen {

class Rpt日報 : public reporting::Report {
public:
    Rpt日報();

protected:
    void ActiveReport_ReportStart() override;
    void PageHeader_Format() override;
    void Detail_Format() override;
};

}  // namespace tqen
