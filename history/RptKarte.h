#pragma once
// The printed history of one customer: every report in w日報印刷, newest
// first, each with its day, staff member and title on a line and its memo
// in full below, under a page header with the customer's name, the print
// date and the page number.
#include "model/Session.h"
#include "platform/reporting/Report.h"

namespace tqen {

class RptKarte : public reporting::Report {
public:
    // Printed from the session's work database, in its date style.
    RptKarte(const model::Session &session, const QString &customer);

protected:
    void ActiveReport_ReportStart() override;
    void PageHeader_Format() override;
    void Detail_Format() override;

private:
    QString customer_;
    QString workDbPath_;
    bool western_;
};

}  // namespace tqen
