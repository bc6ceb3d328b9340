#pragma once
// The printed daily reports: one card per row of w日報印刷 - date, customer
// and staff on the first line, the title on the second, the memo below - under
// a page header with the print date and the page number. Two stamp boxes
// at the right: the writer (担当) and the confirmation (確認), a round red
// seal with the confirmer's name and day, or "確認後に変更". A report's next
// step closes its memo on a line of its own.
#include "model/Confirmations.h"
#include "model/Session.h"
#include "platform/reporting/Report.h"

#include <QHash>
#include <QString>

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
    QString dataDbPath_;
    bool western_;
    QHash<model::ReportKey, model::ReportConfirmation> confirmations_;
    // Each report's next step as a line, read once per print.
    QHash<QString, QString> steps_;
    bool stepsRead_ = false;
};

}  // namespace tqen
