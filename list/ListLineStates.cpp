#include "list/ListLineStates.h"

#include "model/Confirmations.h"
#include "model/NextSteps.h"
#include "model/Values.h"
#include "platform/dates/DateFormat.h"
#include "platform/forms/DataGrid.h"

namespace tqen {

namespace {

model::ReportKey keyOf(const forms::DataControl *lines, int row, const QDate &day) {
    return {day, model::textOf(lines->value(row, QStringLiteral("顧客名"))), model::textOf(lines->value(row, QStringLiteral("担当")))};
}

}  // namespace

void ListLineStates::clear() {
    confirmations_.clear();
    nextSteps_.clear();
    from_ = QDate();
}

Error ListLineStates::readFor(const model::ReportList::Period &listed, bool *read) {
    *read = false;
    const int rows = lines_->rowCount();
    if (rows == 0 || !listed.last.isValid()) return {};
    // Lines come newest first: the last one read is of the oldest day.
    const QDate oldest = ToDate(lines_->value(rows - 1, QStringLiteral("日付")));
    if (!oldest.isValid() || (from_.isValid() && oldest >= from_)) return {};
    model::ReportList::Period part = listed;
    part.first = oldest;
    if (from_.isValid()) part.last = from_.addDays(-1);
    Error error;
    const auto states = model::ReportList::confirmations(dataDbPath_, part, false, &error);
    if (!error.ok()) return error;
    confirmations_.insert(states);
    // The next steps of the same days, for the 次回予定 column.
    const QList<model::NextStep> steps = model::NextSteps::ofReports(dataDbPath_, part.first, part.last, &error);
    for (const model::NextStep &s : steps) nextSteps_.insert(model::NextSteps::keyText(s.report), model::NextSteps::describe(s));
    from_ = oldest;
    *read = true;
    return error;
}

QString ListLineStates::confirmationText(int row) const {
    const QDate day = ToDate(lines_->value(row, QStringLiteral("日付")));
    if (!day.isValid()) return {};
    const auto found = confirmations_.constFind(keyOf(lines_, row, day));
    if (found == confirmations_.cend())
        return from_.isValid() && day >= from_ ? model::Confirmations::stateText(model::ConfirmState::Unconfirmed) : QString();
    return found->text();
}

QString ListLineStates::nextStepText(int row) const {
    const QDate day = ToDate(lines_->value(row, QStringLiteral("日付")));
    if (!day.isValid()) return {};
    return nextSteps_.value(model::NextSteps::keyText(keyOf(lines_, row, day)));
}

}  // namespace tqen
