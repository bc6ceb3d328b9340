#pragma once
// The printed daily reports: one card per row of w日報印刷 - date, customer
// and staff on the first line, the title on the second, the memo below - under
// a page header with the print date and the page number.
#include "model/Session.h"
#include "platform/reporting/Report.h"

namespace tqen {

class Rpt日報 : public reporting::Report {
public:
    // Printed from the session's work database, in its date style.
    explicit Rpt日報(const model::Session &session);

protected:
    void ActiveReport_ReportStart() override;
    void PageHeader_Format() override;
    void Detail_Format() override;

private:
    QString workDbPath_;
    bool western_;
};

}  // namespace tqen
