#pragma once
// Rewrites the tokens of one Jet SQL statement as SQLite SQL. The result is
// kept as pieces so that the connection can fill in what depends on it: the
// schema name under which a file named by "in '…'" is attached, and the
// column lists of an insert-select matched by name.
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <memory>

namespace tqen::dao {

struct JetTranslation {
    enum class Kind { Select, Insert, Delete, Update, Other };
    Kind kind = Kind::Other;
    QString error;        // non-empty: the statement cannot run

    QStringList pieces;   // the SQLite text, joined by blanks
    // A table of another file: pieces[piece] is the quoted table name; the
    // connection prefixes the schema under which attachPaths[attach] is attached.
    struct External { int piece; int attach; };
    QVector<External> externals;
    QStringList attachPaths;
    // Values of ?1, ?2, …: the statement's string literals and the values
    // given for its ? marks, in the order they stand, each as a statementValue.
    QVector<QVariant> params;
    // Where the statement's values went: the token of each parameter (a
    // string literal or a ? mark), and the token and piece of each date. Two
    // statements that differ only in these values translate alike but for them.
    QVector<int> paramTokens;
    struct DateSlot { int token; int piece; };
    QVector<DateSlot> dates;

    // select: the one table it reads, when it reads one table only and has no
    // grouping, distinct or union (then a recordset on it is updatable).
    bool singleTable = false;
    QString table;
    int tableAttach = -1;
    int selectListPiece = -1;  // first piece of the select list
    int fromPiece = -1;        // the "FROM" piece of the select

    // insert into T select … without a column list: columns matched by name.
    bool insertByName = false;
    QString target;
    int targetAttach = -1;
    int targetPiece = -1;      // piece holding the target table
    int selectPiece = -1;      // the "SELECT" piece of the inner select
    int starBegin = -1;        // pieces [starBegin, starEnd) hold a lone * select list
    int starEnd = -1;

    QString sql(const QStringList &attachAliases) const;
    // The inner select of an insert-select, from selectPiece on.
    QString innerSelectSql(const QStringList &attachAliases) const;
};

// Translates one statement. Translations are kept by the statement's shape:
// its tokens without the texts and dates it carries as values, so a statement
// written again with other typed values is not translated again. Shapes past
// a size are not kept, and only so many are.
std::shared_ptr<const JetTranslation> translateJet(const QString &jetSql);
// A statement with ? marks and their values, one value a mark, in order
// (see Database::execute). The marks are part of the statement's shape; their
// values are not. A mark in "T in ?" names the file: its value, a text, is
// the path as a literal would give it.
std::shared_ptr<const JetTranslation> translateJet(const QString &jetSql, const QVariantList &values);

// A value given for a ? mark as the engine binds it: Null, a text (a date as
// its stored text, "yyyy-mm-dd" or with its time of day), a whole number
// (True and False as 1 and 0, as the literals are), a double or bytes. False
// and error for a value of another kind.
bool statementValue(const QVariant &value, QVariant *bound, QString *error);

// Shapes kept at the moment, and the characters of their keys (for tests).
struct TranslationCacheSize { qsizetype shapes = 0; qsizetype keyChars = 0; };
TranslationCacheSize translationCacheSize();

QString quoteName(const QString &name);

}  // namespace tqen::dao
