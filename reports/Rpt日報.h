#pragma once
// The printed daily reports: one card per row of w日報印刷 - date, customer
// and staff on the first line, the title on the second, the memo below - under
// a page header with the print date and the page number. Two stamp boxes
// at the right: the writer (担当) and the confirmation (確認), a round red
// seal with the confirmer's name and day, or "確認後に変更".
#include "model/Confirmations.h"
#include "platform/reporting/Report.h"

namespace tqen {

class Rpt日報 : public reporting::Report {
public:
    Rpt日報();

protected:
    void ActiveReport_ReportStart() override;
    void PageHeader_Format() override;
    void Detail_Format() override;

private:
    QHash<model::ReportKey, model::ReportConfirmation> confirmations_;
};

}  // namespace tqen
