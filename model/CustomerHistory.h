#pragma once
// A customer's history: every report of one customer, newest first, across
// all staff members. The history goes by the customer's name as the reports
// store it: a customer renamed in the customer list keeps its older reports
// under the old name, and its history under the new name starts with the
// first report written under it.
#include "platform/dao/AddedTable.h"
#include "platform/error/Error.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace tqen::model::CustomerHistory {

struct Row {
    QDate day;
    QString staff, title, memo, reading;
    // How far the report is confirmed, in words: "未確認", "確認済",
    // "確認後に変更".
    QString confirmation;
};

struct History {
    QString customer;
    QList<Row> rows;       // newest first; within a day by staff member, then title
    bool inCustomerList = false;  // the name is one of the customer list's
};

// The history of one customer, read with one statement over the history's
// index (made on the first read of a file that lacks it). An empty name
// gives an empty history.
History read(const QString &dataDbPath, const QString &customer, Error *error = nullptr);

// The history's index of the reports: customer, then day newest first.
const dao::AddedIndex &historyIndex();

// The history as a CSV file holds it: a header line (日付, 顧客名, ふりがな,
// 担当, タイトル, メモ, 確認), then one line per report in the history's order.
QList<QStringList> csvRecords(const History &history);

// Puts the whole history of one customer into the work table of reports to
// print (w日報印刷), emptied first, in one transaction.
Error fillPrintTable(const QString &workDbPath, const QString &dataDbPath, const QString &customer);

}  // namespace tqen::model::CustomerHistory
