#pragma once
// The printed report list: one line per row of w日報一覧 - date, customer,
// title and staff - under a page header with the column captions, the print
// date and the page number.
#include "model/Session.h"
#include "platform/reporting/Report.h"

namespace tqen {

class Rpt日報一覧 : public reporting::Report {
public:
    // Printed from the session's work database, in its date style.
    explicit Rpt日報一覧(const model::Session &session);

protected:
    void ActiveReport_ReportStart() override;
    void PageHeader_Format() override;
    void Detail_Format() override;

private:
    QString workDbPath_;
    bool western_;
};

}  // namespace tqen
