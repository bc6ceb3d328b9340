#pragma once
// The printed report list: one line per row of w日報一覧 - date, customer,
// title and staff - under a page header with the column captions, the print
// date and the page number.
#include "platform/reporting/Report.h"

namespace tqen {

class Rpt日報一覧 : public reporting::Report {
public:
    Rpt日報一覧();

protected:
    void ActiveReport_ReportStart() override;
    void PageHeader_Format() override;
    void Detail_Format() override;
};

}  // namespace tqen
