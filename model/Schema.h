#pragma once
// The tables of the program's databases, written once: the data database
// (reports, customers, the code table, the hint texts) and the work database
// (the settings rows and the scratch tables that feed grids, lists and
// printed reports). From this definition come
//   - the scripts the two delivered files are made from at build time
//     (tools/tqen-schema writes them, the sqlite3 shell runs them),
//   - the same script for a data file converted from the Windows program,
//   - the data database's tables on a database server, made by the engine on
//     the first connection to an empty database (useSchemaOnServers).
// The search index of the data file is model/ReportSearch.h's (searchIndexSchema);
// the data file's script ends with it.
//
// On a file, declared types tell the engine how to read a field: DATE fields
// hold the text "yyyy-mm-dd" (so comparison and ordering go by calendar day)
// and read as dates; BOOLEAN fields hold 1 / 0 and read as yes/no; TEXT and
// INTEGER read as they are. On a server texts sort by code point, as on a
// file, and names are in lower case, as the engine folds a statement's.
#include "platform/dao/Server.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace tqen::model::schema {

enum class Type {
    Text,
    Date,
    Integer,
    YesNo,      // a tick: never Null, False when not written
    RowNumber,  // numbers the rows in the order they are added
};

struct Column {
    QString name;
    Type type = Type::Text;
};

struct Index {
    // On a server an index can also keep a rule that the file leaves to the
    // program.
    enum class Server {
        Same,
        Unique,           // one row per value (Nulls apart)
        UniqueNullsAlike, // one row per value, a Null being one value too
    };
    QString name;
    QStringList columns;
    Server server = Server::Same;
    bool onFile = true;
};

struct Table {
    QString name;
    QString note;  // what the table is for, a comment line each
    QList<Column> columns;
    QList<Index> indexes;
    QList<QVariantList> rows;  // the rows the table is delivered with
};

struct Database {
    QString file;  // the delivered file's name
    QString note;
    QList<Table> tables;
    bool searchIndex = false;  // the file holds the reports' search index
};

const Database &dataDatabase();
const Database &workDatabase();

// The script that makes a delivered file: its tables, their indexes and rows
// (the data file's with the search index at the end), in the sqlite3
// shell's dialect.
QString fileScript(const Database &db);

// The data database's tables as a server makes them.
dao::ServerSchema serverSchema();
// Hands serverSchema() to the engine, which makes the tables on the first
// connection to an empty data database on a server. Called once at start-up,
// before any server is opened.
void useSchemaOnServers();

}  // namespace tqen::model::schema
