#pragma once
// The settings row of 管理 in the work database, typed. It is read once at
// start-up into the program's one Settings object; a form that changes a
// setting changes the object's field and writes the whole row back with
// write(), so no form reads or writes 管理 by hand.
#include "platform/error/Error.h"

#include <QString>

namespace tqen {

struct Settings {
    // 管理 holds a row. Without one the program uses its defaults and
    // remembers no staff member or customer.
    bool present = false;
    // Full path of the data file; empty (Null or "" in the row) means the
    // default data file beside the work database.
    QString DataPath;
    // Date style: "和暦" or "西暦"; a Null field reads as "西暦"; empty when
    // 管理 holds no row.
    QString 年号;
    // Staff member, customer and reading of the last registered report;
    // empty = none remembered.
    QString 担当;
    QString 顧客名;
    QString ふりがな;

    // Reads the first row of 管理. A work database that cannot be read gives
    // the defaults (present false) and an error.
    static Settings read(const QString &workDbPath, Error *error = nullptr);

    // How write() treats a table without rows.
    enum class IfNoRow { Skip, Create };

    // Writes every field to 管理 in one statement (empty texts as Null).
    // Without a row: Skip writes nothing, Create adds the row. Every row of
    // 管理 is replaced, so the table holds exactly what this object holds.
    Error write(const QString &workDbPath, IfNoRow ifNoRow = IfNoRow::Skip);
};

// The two families of date formats; only the exact value "和暦" selects the
// era family.
bool IsEraMode(const QString &eraMode);
QString DayFormatFor(const QString &eraMode);     // "ggg ee年mm月dd日" / "yyyy年mm月dd日"
QString MonthFormatFor(const QString &eraMode);   // "ggg ee年mm月" / "yyyy年mm月"

}  // namespace tqen
