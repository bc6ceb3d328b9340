#pragma once
// The report list's 確認 and 次回予定 columns: the confirmations and next
// steps of the days whose lines the grid has read, read a stretch of days
// at a time as lines come (newest first, so each stretch is older than the
// last), never the whole period at once.
#include "model/ReportList.h"
#include "platform/error/Error.h"

#include <QDate>
#include <QHash>
#include <QString>

namespace tqen::forms {
class DataControl;
}  // namespace tqen::forms

namespace tqen {

class ListLineStates {
public:
    explicit ListLineStates(const QString &dataDbPath) : dataDbPath_(dataDbPath) {}
    // The list's data control, whose lines the columns describe.
    void setLines(const forms::DataControl *lines) { lines_ = lines; }

    // Forgets what was read (a new read of the list).
    void clear();
    // Reads the days of the period from the oldest line read back to the
    // last stretch read; *read is set when a stretch was read. The column
    // stays empty for days whose confirmations could not be read (the
    // error); a failed read of next steps leaves only that column empty.
    Error readFor(const model::ReportList::Period &listed, bool *read);
    // What a line's columns show.
    QString confirmationText(int row) const;
    QString nextStepText(int row) const;

private:
    const QString &dataDbPath_;
    const forms::DataControl *lines_ = nullptr;
    // Read from this day to the period's last day.
    QDate from_;
    QHash<model::ReportKey, model::ReportList::LineConfirmation> confirmations_;
    QHash<QString, QString> nextSteps_;  // by NextSteps::keyText
};

}  // namespace tqen
