#include "model/SubmissionStatus.h"

#include "model/CodeTable.h"
#include "model/Confirmations.h"
#include "model/ReportList.h"
#include "model/Values.h"
#include "platform/dates/Holidays.h"

#include <algorithm>

namespace tqen::model::SubmissionStatus {

int Month::missing() const {
    int n = 0;
    for (const QString &s : staff)
        for (const QDate &d : days)
            if (cell(s, d).reports == 0) ++n;
    return n;
}

Month read(const QString &dataDbPath, int year, int month, Error *error) {
    if (error) *error = Error();
    Month out;
    out.year = year;
    out.month = month;
    const QDate first(year, month, 1);
    if (!first.isValid()) {
        if (error) *error = Error(Error::Code::BadInput, QStringLiteral("%1年%2月は月として読めません。").arg(year).arg(month));
        return out;
    }
    const QDate last(year, month, first.daysInMonth());

    auto db = dao::Database::open(dataDbPath);
    if (!db.isOpen()) {
        if (error) *error = dao::failure(QStringLiteral("提出状況を読めませんでした。データファイルを開けません。"), db);
        return out;
    }
    // The list's index holds day and staff member: the month is read from
    // it alone. A file that cannot take it (read-only, busy) is read without.
    dao::ensureIndex(db, ReportList::listIndex());
    Error codes;
    const QStringList listed = CodeTable::namesIn(db, QStringLiteral("担当"), &codes);
    if (!codes.ok()) {
        if (error) *error = codes;
        return out;
    }

    // One grouped statement for the month: reports per staff member and day.
    auto rs = select(db,
                     QStringLiteral("select 担当, 日付, count(*) as 件数 from 営業日報 where 日付 >= ? and 日付 <= ? "
                                    "group by 担当, 日付"),
                     {first, last});
    if (!rs.isOpen()) {
        if (error) *error = dao::failure(QStringLiteral("提出状況を読めませんでした。営業日報を読めません。"), db, rs);
        return out;
    }
    QStringList others;
    for (; !rs.eof(); rs.moveNext()) {
        const QString who = textOf(rs.field(QStringLiteral("担当")));
        const QDate day = dateOf(rs.field(QStringLiteral("日付")));
        if (who.isEmpty() || !day.isValid()) continue;
        const int count = rs.field(QStringLiteral("件数")).toInt();
        Cell &c = out.cells[who][day];
        c.reports += count;
        c.unconfirmed += count;
        if (!listed.contains(who) && !others.contains(who)) others.append(who);
    }
    // The confirmed ones of the month, with a second statement: a report
    // changed since its confirmation stays unconfirmed.
    Error states;
    const auto confirmed = Confirmations::confirmedPerStaff(dataDbPath, first, last, &states);
    if (!states.ok()) {
        if (error) *error = states;
        return Month{year, month};
    }
    for (auto staff = confirmed.cbegin(); staff != confirmed.cend(); ++staff) {
        auto staffCells = out.cells.find(staff.key());
        if (staffCells == out.cells.end()) continue;
        for (auto day = staff->cbegin(); day != staff->cend(); ++day) {
            auto cell = staffCells->find(day.key());
            if (cell != staffCells->end()) cell->unconfirmed = std::max(0, cell->unconfirmed - day.value());
        }
    }
    others.sort();
    out.days = WorkingDays(year, month);
    out.staff = listed;
    out.listedStaff = int(listed.size());
    out.staff += others;
    return out;
}

}  // namespace tqen::model::SubmissionStatus
