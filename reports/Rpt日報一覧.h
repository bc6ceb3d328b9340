#pragma once
// The printed report list: one line per row of w日報一覧 - date, customer,
// title, the confirmation (state; confirmer and the newest comment) and
// staff - under a page header with the column captions, the print date and
// the page number. A report with a next step has a second line for it:
// "次回 12/15 見積提出".
#include "model/NextSteps.h"
#include "model/ReportList.h"
#include "model/Session.h"
#include "platform/reporting/Report.h"

#include <QHash>

namespace tqen {

class Rpt日報一覧 : public reporting::Report {
public:
    // Printed from the session's work database, in its date style.
    explicit Rpt日報一覧(const model::Session &session);
    // The confirmations of the listed reports (with their comments); a line
    // without one prints 未確認.
    void setConfirmations(QHash<model::ReportKey, model::ReportList::LineConfirmation> confirmations) {
        confirmations_ = std::move(confirmations);
    }
    // The next steps of the listed reports (open and closed ones).
    void setNextSteps(const QList<model::NextStep> &steps);

protected:
    void ActiveReport_ReportStart() override;
    void PageHeader_Format() override;
    void Detail_Format() override;

private:
    QString workDbPath_;
    bool western_;
    QHash<model::ReportKey, model::ReportList::LineConfirmation> confirmations_;
    QHash<model::ReportKey, model::NextStep> steps_;
    QString stepText(const model::NextStep &step) const;
};

}  // namespace tqen
