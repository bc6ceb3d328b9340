#include "model/MonthFigures.h"

#include "model/CustomerHistory.h"
#include "model/NextSteps.h"
#include "model/Values.h"
#include "platform/dao/AddedTable.h"

#include <QHash>

#include <algorithm>

namespace tqen::model::MonthFigures {

namespace {

QDate monthOf(const QDate &d) { return QDate(d.year(), d.month(), 1); }

// Makes an index the figures read when the file lacks it; a file that
// cannot take it (read-only, busy) is read without it.
dao::Database openWith(const QString &dataDbPath, const dao::AddedIndex &index) {
    auto db = dao::Database::open(dataDbPath);
    if (db.isOpen()) dao::ensureIndex(db, index);
    return db;
}

// The figures' index: day, staff member and customer, all a table of a
// period reads, so a year is a range of narrow entries whose day and staff
// member come in the grouping's order.
const dao::AddedIndex &figuresIndex() {
    static const dao::AddedIndex index{QStringLiteral("営業日報"),
                                       QStringLiteral("営業日報_集計"),
                                       {QStringLiteral("日付"), QStringLiteral("担当"), QStringLiteral("顧客名")},
                                       {}};
    return index;
}

QString csvDate(const QDate &d) { return d.isValid() ? d.toString(QStringLiteral("yyyy/MM/dd")) : QString(); }

}  // namespace

QString checkPeriod(const QDate &first, const QDate &last) {
    if (!first.isValid() || !last.isValid()) return QStringLiteral("集計する期間の開始日と終了日を入れてください。");
    if (first > last) return QStringLiteral("集計する期間の開始日が終了日より後になっています。");
    if (first.addYears(MaxYears) <= last)
        return QStringLiteral("集計する期間は %1 年以内にしてください。").arg(MaxYears);
    return {};
}

QList<QDate> monthsOf(const QDate &first, const QDate &last) {
    QList<QDate> out;
    if (!first.isValid() || !last.isValid() || first > last) return out;
    for (QDate m = monthOf(first); m <= last; m = m.addMonths(1)) out.append(m);
    return out;
}

StaffMonths reportsPerStaff(const QString &dataDbPath, const QDate &first, const QDate &last, Error *error) {
    if (error) *error = Error();
    StaffMonths out;
    out.months = monthsOf(first, last);
    if (out.months.isEmpty()) return out;
    auto db = openWith(dataDbPath, figuresIndex());
    // Counted by day in the statement (the day is a date on a file and on a
    // server alike) and by month here: a year gives at most a few thousand
    // rows.
    auto rs = select(db,
                     QStringLiteral("select 日付, 担当, count(*) as 件数 from 営業日報 where 日付 >= ? and 日付 <= ?"
                                    " group by 日付, 担当"),
                     {first, last});
    if (!rs.isOpen()) {
        if (error) *error = dao::failure(QStringLiteral("集計できませんでした。データファイルを読めません。"), db, rs);
        return out;
    }
    QMap<QString, QList<int>> counts;
    const QDate firstMonth = out.months.first();
    for (; !rs.eof(); rs.moveNext()) {
        const QDate day = dateOf(rs.field(QStringLiteral("日付")));
        if (!day.isValid()) continue;
        const int month = (day.year() - firstMonth.year()) * 12 + day.month() - firstMonth.month();
        if (month < 0 || month >= out.months.size()) continue;
        QList<int> &line = counts[textOf(rs.field(QStringLiteral("担当")))];
        if (line.isEmpty()) line.fill(0, out.months.size());
        line[month] += rs.field(QStringLiteral("件数")).toInt();
    }
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        StaffMonths::Line line{it.key(), it.value(), 0};
        for (int c : it.value()) line.total += c;
        out.lines.append(line);
    }
    return out;
}

QList<Visits> visitsPerCustomer(const QString &dataDbPath, const QDate &first, const QDate &last, Error *error) {
    if (error) *error = Error();
    QList<Visits> out;
    if (!first.isValid() || !last.isValid() || first > last) return out;
    auto db = openWith(dataDbPath, figuresIndex());
    if (db.isOpen()) dao::ensureIndex(db, CustomerHistory::historyIndex());
    const auto failed = [&](const dao::Recordset &rs) {
        if (error) *error = dao::failure(QStringLiteral("集計できませんでした。データファイルを読めません。"), db, rs);
        return QList<Visits>();
    };
    // The customers of the list: each one's reports of the period are a
    // range of the history's index (customer, then day), so a year of a
    // million reports is read without sorting it.
    auto rs = select(db,
                     QStringLiteral("select 名称, (select count(distinct 日付) from 営業日報 where 顧客名 = 名称"
                                    " and 日付 >= ? and 日付 <= ?) as 日数, (select count(*) from 営業日報"
                                    " where 顧客名 = 名称 and 日付 >= ? and 日付 <= ?) as 件数 from 顧客マスタ"),
                     {first, last, first, last});
    if (!rs.isOpen()) return failed(rs);
    for (; !rs.eof(); rs.moveNext()) {
        const int days = rs.field(QStringLiteral("日数")).toInt();
        if (days > 0)
            out.append({textOf(rs.field(QStringLiteral("名称"))), days, rs.field(QStringLiteral("件数")).toInt(), true});
    }
    rs.close();
    // Reports under a name the list no longer has (a customer renamed or
    // removed since) count under that name.
    auto others = select(db,
                         QStringLiteral("select 顧客名, count(distinct 日付) as 日数, count(*) as 件数 from 営業日報"
                                        " where 日付 >= ? and 日付 <= ? and 顧客名 not in"
                                        " (select 名称 from 顧客マスタ where 名称 is not null) group by 顧客名"),
                         {first, last});
    if (!others.isOpen()) return failed(others);
    for (; !others.eof(); others.moveNext())
        out.append({textOf(others.field(QStringLiteral("顧客名"))), others.field(QStringLiteral("日数")).toInt(),
                    others.field(QStringLiteral("件数")).toInt(), false});
    std::stable_sort(out.begin(), out.end(), [](const Visits &a, const Visits &b) {
        return a.days != b.days ? a.days > b.days : a.customer < b.customer;
    });
    return out;
}

QList<Dormant> dormantCustomers(const QString &dataDbPath, const QDate &asOf, int days, Error *error) {
    if (error) *error = Error();
    QList<Dormant> out;
    if (!asOf.isValid() || days < 0) return out;
    auto db = openWith(dataDbPath, CustomerHistory::historyIndex());
    // The last report of each customer of the list is one step down the
    // history's index (customer, then day newest first).
    auto rs = select(db,
                     QStringLiteral("select 名称, ふりがな, 担当, (select max(日付) from 営業日報 where 顧客名 = 名称"
                                    " and 日付 <= ?) as 最終 from 顧客マスタ"),
                     {asOf});
    if (!rs.isOpen()) {
        if (error) *error = dao::failure(QStringLiteral("集計できませんでした。データファイルを読めません。"), db, rs);
        return out;
    }
    for (; !rs.eof(); rs.moveNext()) {
        const QDate lastReport = dateOf(rs.field(QStringLiteral("最終")));
        const int since = lastReport.isValid() ? int(lastReport.daysTo(asOf)) : -1;
        if (lastReport.isValid() && since <= days) continue;
        out.append({textOf(rs.field(QStringLiteral("名称"))), textOf(rs.field(QStringLiteral("ふりがな"))),
                    textOf(rs.field(QStringLiteral("担当"))), lastReport, since});
    }
    // Never visited first, then the longest unvisited; by reading within.
    std::stable_sort(out.begin(), out.end(), [](const Dormant &a, const Dormant &b) {
        if (a.lastReport.isValid() != b.lastReport.isValid()) return !a.lastReport.isValid();
        if (a.lastReport != b.lastReport) return a.lastReport < b.lastReport;
        return a.reading != b.reading ? a.reading < b.reading : a.customer < b.customer;
    });
    return out;
}

QList<Overdue> overdueSteps(const QString &dataDbPath, const QDate &asOf, Error *error) {
    if (error) *error = Error();
    QMap<QString, Overdue> perStaff;
    // Open steps come earliest planned first: the overdue ones lead.
    for (const NextStep &step : NextSteps::open(dataDbPath, QString(), error)) {
        if (!step.planned.isValid() || step.planned >= asOf) break;
        Overdue &o = perStaff[step.report.staff];
        o.staff = step.report.staff;
        ++o.steps;
        if (!o.oldestPlanned.isValid() || step.planned < o.oldestPlanned) o.oldestPlanned = step.planned;
        if (!o.firstReport.isValid() || step.report.day < o.firstReport) o.firstReport = step.report.day;
        if (!o.lastReport.isValid() || step.report.day > o.lastReport) o.lastReport = step.report.day;
    }
    return perStaff.values();
}

QList<QStringList> csvRecords(const QList<Overdue> &overdue) {
    QList<QStringList> records{{QStringLiteral("担当"), QStringLiteral("遅れている次回予定"), QStringLiteral("最も古い予定日")}};
    for (const Overdue &o : overdue) records.append({o.staff, QString::number(o.steps), csvDate(o.oldestPlanned)});
    return records;
}

QList<QStringList> csvRecords(const StaffMonths &figures) {
    QList<QStringList> records;
    QStringList header{QStringLiteral("担当")};
    for (const QDate &m : figures.months) header << m.toString(QStringLiteral("yyyy/MM"));
    header << QStringLiteral("合計");
    records.append(header);
    for (const StaffMonths::Line &l : figures.lines) {
        QStringList r{l.staff};
        for (int c : l.counts) r << QString::number(c);
        r << QString::number(l.total);
        records.append(r);
    }
    return records;
}

QList<QStringList> csvRecords(const QList<Visits> &visits) {
    QList<QStringList> records{{QStringLiteral("顧客名"), QStringLiteral("訪問日数"), QStringLiteral("日報件数"),
                                QStringLiteral("顧客マスタ")}};
    for (const Visits &v : visits)
        records.append({v.customer, QString::number(v.days), QString::number(v.reports),
                        v.inCustomerList ? QStringLiteral("あり") : QStringLiteral("なし")});
    return records;
}

QList<QStringList> csvRecords(const QList<Dormant> &dormant) {
    QList<QStringList> records{{QStringLiteral("顧客名"), QStringLiteral("ふりがな"), QStringLiteral("担当"),
                                QStringLiteral("最終訪問日"), QStringLiteral("経過日数")}};
    for (const Dormant &d : dormant)
        records.append({d.customer, d.reading, d.staff, csvDate(d.lastReport),
                        d.daysSince < 0 ? QString() : QString::number(d.daysSince)});
    return records;
}

}  // namespace tqen::model::MonthFigures
