#pragma once
// The numbers of a period: reports per staff member and month, visits per
// customer (days with a report), and the customers not visited for a number
// of days. Each is one grouped statement on the data database over an index
// made on the first use of a file that lacks it.
#include "platform/error/Error.h"

#include <QDate>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace tqen::model::MonthFigures {

// The longest period the figures are made for, in years. A longer one is
// refused: its tables and charts would have hundreds of months.
constexpr int MaxYears = 10;

// Why a period cannot be counted ("" when it can): a day missing, the first
// day after the last, or more than MaxYears years.
QString checkPeriod(const QDate &first, const QDate &last);

// The months a period touches, oldest first, as their first days.
QList<QDate> monthsOf(const QDate &first, const QDate &last);

// Reports per staff member and month. A report without a staff member
// counts under an empty name.
struct StaffMonths {
    QList<QDate> months;   // first days, oldest first
    struct Line {
        QString staff;
        QList<int> counts;   // one per month
        int total = 0;
    };
    QList<Line> lines;     // by staff member's name
};
StaffMonths reportsPerStaff(const QString &dataDbPath, const QDate &first, const QDate &last, Error *error = nullptr);

// Visits per customer: the days of the period on which the customer has at
// least one report (two staff members on one day make one visit), and the
// reports. Customers by the name the reports store, most visits first.
struct Visits {
    QString customer;
    int days = 0;
    int reports = 0;
    bool inCustomerList = false;
};
QList<Visits> visitsPerCustomer(const QString &dataDbPath, const QDate &first, const QDate &last,
                                Error *error = nullptr);

// The customers of the customer list whose last report on or before `asOf`
// is more than `days` days before it; customers without any report are
// among them (lastReport invalid). Longest unvisited first.
struct Dormant {
    QString customer, reading, staff;
    QDate lastReport;   // invalid: never
    int daysSince = -1; // -1: never
};
QList<Dormant> dormantCustomers(const QString &dataDbPath, const QDate &asOf, int days, Error *error = nullptr);

// The open next steps whose planned day is before `asOf`, per staff member
// (by name), with the oldest planned day and the days of the reports that
// planned them.
struct Overdue {
    QString staff;
    int steps = 0;
    QDate oldestPlanned;
    QDate firstReport, lastReport;
};
QList<Overdue> overdueSteps(const QString &dataDbPath, const QDate &asOf, Error *error = nullptr);

// The tables as CSV files hold them, header line first.
QList<QStringList> csvRecords(const StaffMonths &figures);
QList<QStringList> csvRecords(const QList<Visits> &visits);
QList<QStringList> csvRecords(const QList<Dormant> &dormant);
QList<QStringList> csvRecords(const QList<Overdue> &overdue);

}  // namespace tqen::model::MonthFigures
