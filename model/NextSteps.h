#pragma once
// Next steps (次回予定): a report may carry the day its staff member plans
// to see the customer again and a short text of what for. They live in the
// table 次回予定 of the data database, one row per report (its day,
// customer and staff member), made by the first next step written; a data
// database without the table has nothing planned.
//
// A step is open until it is closed: by hand, or by a report of the same
// customer and staff member registered on or after the planned day (the
// step's own report never closes it).
#include "model/DeletedReports.h"
#include "platform/dao/AddedTable.h"
#include "platform/error/Error.h"

#include <QDate>
#include <QList>
#include <QSet>
#include <QString>

#include <optional>

namespace tqen::dao {
class Database;
}

namespace tqen::model {

// What the entry gives for a report's next step: an invalid day and an empty
// text clear it.
struct PlannedStep {
    QDate day;
    QString text;
    bool isEmpty() const { return !day.isValid() && text.isEmpty(); }
};

struct NextStep {
    ReportKey report;  // the report that planned it
    QDate planned;     // 予定日
    QString text;      // 内容
    QDate closed;      // 完了日; invalid while the step is open
    bool isOpen() const { return !closed.isValid(); }
};

namespace NextSteps {

extern const QString Table;
// Longest text of a step: one line of the entry.
constexpr int MaxText = 200;

// The table's definition, for making it and for copies of the data.
const dao::AddedTable &definition();

// Why a step cannot be stored with a report of that day, empty when it can:
// a text without a day, a day before the report's own, a text too long.
QString problem(const QDate &reportDay, const PlannedStep &step);

// The step a report carries, if any.
std::optional<NextStep> of(const QString &dataDbPath, const ReportKey &report, Error *error = nullptr);

// Inside the caller's transaction (a registration): sets the report's step,
// or clears it when the step is empty; the table is made on the first step
// written. A step that was closed and is written again unchanged stays
// closed; a new day or text opens it again.
Error setIn(dao::Database &db, const ReportKey &report, const PlannedStep &step);
// Inside the caller's transaction: closes the open steps of the customer and
// staff member planned on or before `report.day`, but for the step of that
// very report. `closed` counts them.
Error closeDueIn(dao::Database &db, const ReportKey &report, qlonglong *closed = nullptr);
// Inside the caller's transaction: removes the steps of the reports that the
// where clause (over 日付, 顧客名, 担当; empty for all) selects.
Error removeIn(dao::Database &db, const QString &where);

// Closes a report's step by hand on the day given.
Error close(const QString &dataDbPath, const ReportKey &report, const QDate &on);

// The open steps of a staff member (every staff member when empty), the
// earliest planned first: the overdue ones come before the others.
QList<NextStep> open(const QString &dataDbPath, const QString &staff, Error *error = nullptr);

// The days between first and last (both included) on which an open step of
// the staff member and/or customer (any when empty) is planned.
QSet<QDate> plannedDays(const QString &dataDbPath, const QDate &first, const QDate &last, const QString &staff,
                        const QString &customer, Error *error = nullptr);

// The steps of the reports of the days between first and last (both
// included; an invalid day leaves that end open), open and closed.
QList<NextStep> ofReports(const QString &dataDbPath, const QDate &first, const QDate &last, Error *error = nullptr);
// A step on one line, as the printed cards and the CSV file carry it:
// "2024/05/10 見積を持参", with "（完了 2024/05/12）" once closed.
QString describe(const NextStep &step);
// The same key of a report as text, for looking steps up by report.
QString keyText(const ReportKey &report);

}  // namespace NextSteps

}  // namespace tqen::model
