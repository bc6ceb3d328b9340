#include "model/Schema.h"

#include "model/ReportSearch.h"

#include <algorithm>

namespace tqen::model::schema {

namespace {

Column text(const char16_t *name) { return {QString::fromUtf16(name), Type::Text}; }
Column date(const char16_t *name) { return {QString::fromUtf16(name), Type::Date}; }
Column integer(const char16_t *name) { return {QString::fromUtf16(name), Type::Integer}; }
Column tick(const char16_t *name) { return {QString::fromUtf16(name), Type::YesNo}; }

QList<Column> reportColumns() {
    return {date(u"日付"), text(u"顧客名"), text(u"ふりがな"), text(u"タイトル"), text(u"担当"), text(u"メモ")};
}

QList<QVariantList> staffSlots() {
    QList<QVariantList> rows;
    for (int i = 1; i <= 30; ++i)
        rows << QVariantList{QStringLiteral("担当"), QString::asprintf("%02d", i), QVariant(), i};
    return rows;
}

Database makeData() {
    Database db;
    db.file = QStringLiteral("TqenData.mdb");
    db.note = QStringLiteral(
        "The data database TqenData.mdb: reports, customers, the code table and the\n"
        "hint texts. The program only reads and writes rows; it creates no table but\n"
        "the search index, in a file from before it (see the end), and the tables\n"
        "later versions add (dao::AddedTable).");
    db.tables = {
        {QStringLiteral("営業日報"),
         QStringLiteral("Daily reports: one row per day, customer and staff member (a server keeps\n"
                        "that rule; a file leaves it to the program). The calendar's month, the\n"
                        "entry's day look-up and the list all ask for a date range, mostly with a\n"
                        "customer and a staff member too."),
         reportColumns(),
         {{QStringLiteral("営業日報_日付顧客担当"), {QStringLiteral("日付"), QStringLiteral("顧客名"), QStringLiteral("担当")},
           Index::Server::UniqueNullsAlike, false},
          {QStringLiteral("営業日報_日付"), {QStringLiteral("日付")}},
          {QStringLiteral("営業日報_顧客担当日付"), {QStringLiteral("顧客名"), QStringLiteral("担当"), QStringLiteral("日付")}},
          {QStringLiteral("営業日報_担当日付"), {QStringLiteral("担当"), QStringLiteral("日付")}}},
         {}},
        {QStringLiteral("顧客マスタ"),
         QStringLiteral("Customers, listed by reading, looked up by name and by staff member. A\n"
                        "server keeps one row per name, which the registration looks up and edits."),
         {text(u"名称"), text(u"ふりがな"), text(u"担当")},
         {{QStringLiteral("顧客マスタ_名称"), {QStringLiteral("名称")}, Index::Server::Unique},
          {QStringLiteral("顧客マスタ_ふりがな"), {QStringLiteral("ふりがな")}},
          {QStringLiteral("顧客マスタ_担当ふりがな"), {QStringLiteral("担当"), QStringLiteral("ふりがな")}}},
         {}},
        {QStringLiteral("コードマスタ"),
         QStringLiteral("Coded lists side by side, told apart by kcode. A row with a Null sname is\n"
                        "a free slot. The staff list \"担当\" comes with thirty free slots \"01\" … \"30\"."),
         {text(u"kcode"), text(u"code"), text(u"sname"), integer(u"cnt")},
         {{QStringLiteral("コードマスタ_区分コード"), {QStringLiteral("kcode"), QStringLiteral("code")}}},
         staffSlots()},
        {QStringLiteral("TqHint"),
         QStringLiteral("Hint texts per form and control."),
         {text(u"FormName"), text(u"CtlName"), text(u"FormTitle"), text(u"Contents")},
         {{QStringLiteral("TqHint_フォーム部品"), {QStringLiteral("FormName"), QStringLiteral("CtlName")}}},
         {}},
    };
    db.searchIndex = true;
    return db;
}

Database makeWork() {
    Database db;
    db.file = QStringLiteral("TqenWork.mdb");
    db.note = QStringLiteral(
        "The work database TqenWork.mdb: the settings row and the scratch tables\n"
        "(names beginning with \"w\") that feed grids, lists and printed reports.");
    db.tables = {
        {QStringLiteral("管理"),
         QStringLiteral("Settings: one row. DataPath Null means the default data file; the date\n"
                        "style is delivered as \"西暦\" (western), which is also what a Null means."),
         {text(u"DataPath"), text(u"年号"), text(u"担当"), text(u"顧客名"), text(u"ふりがな")},
         {},
         {{QVariant(), QStringLiteral("西暦"), QVariant(), QVariant(), QVariant()}}},
        {QStringLiteral("w顧客参照"), QStringLiteral("Customers found by the kana index on the main screen."),
         {text(u"名称"), text(u"ふりがな")}, {}, {}},
        {QStringLiteral("w日報印刷"), QStringLiteral("Reports to print: every field of 営業日報."), reportColumns(), {}, {}},
        {QStringLiteral("w日報一覧"), QStringLiteral("The report list with its tick column."),
         {date(u"日付"), text(u"顧客名"), text(u"タイトル"), text(u"担当"), tick(u"チェック")}, {}, {}},
        {QStringLiteral("wコードマスタ"), QStringLiteral("The code-master grid; 行番号 numbers the rows in the order they are added."),
         {{QStringLiteral("行番号"), Type::RowNumber}, text(u"code"), text(u"sname"), integer(u"cnt"), tick(u"チェック")}, {}, {}},
        {QStringLiteral("w顧客マスタ"), QStringLiteral("The customer list of the maintenance form."),
         {text(u"名称"), text(u"ふりがな"), tick(u"チェック")}, {}, {}},
        {QStringLiteral("バックアップ設定"),
         QStringLiteral("The backup to a folder: one row. 保存先 Null means no folder chosen yet;\n"
                        "保存数 is how many archives stay in the folder; 毎日 1 backs up at start-up\n"
                        "when 最終保存 (\"yyyy-mm-dd hh:nn:ss\", local time) is a day old or more.\n"
                        "A work file without this table reads as the defaults."),
         {text(u"保存先"), integer(u"保存数"), tick(u"毎日"), text(u"最終保存")},
         {},
         {{QVariant(), 10, false, QVariant()}}},
    };
    return db;
}

// Columns the width of a terminal's: a full-width character takes two.
int width(const QString &s) {
    int w = 0;
    for (QChar c : s) w += c.unicode() >= 0x1100 ? 2 : 1;
    return w;
}

QString fileType(Type t) {
    switch (t) {
    case Type::Date: return QStringLiteral("DATE");
    case Type::Integer: return QStringLiteral("INTEGER");
    case Type::YesNo: return QStringLiteral("BOOLEAN NOT NULL DEFAULT 0");
    case Type::RowNumber: return QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
    case Type::Text: break;
    }
    return QStringLiteral("TEXT");
}

QString serverType(Type t) {
    switch (t) {
    case Type::Date: return QStringLiteral("date");
    case Type::Integer: return QStringLiteral("bigint");
    case Type::YesNo: return QStringLiteral("boolean NOT NULL DEFAULT false");
    case Type::RowNumber: return QStringLiteral("bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY");
    case Type::Text: break;
    }
    return QStringLiteral("text COLLATE \"C\"");
}

QString literal(const QVariant &v, bool server) {
    if (v.isNull()) return QStringLiteral("NULL");
    switch (v.typeId()) {
    case QMetaType::Bool: return server ? (v.toBool() ? QStringLiteral("true") : QStringLiteral("false"))
                                        : (v.toBool() ? QStringLiteral("1") : QStringLiteral("0"));
    case QMetaType::Int:
    case QMetaType::LongLong: return v.toString();
    default: break;
    }
    return u'\'' + v.toString().replace(u'\'', QStringLiteral("''")) + u'\'';
}

// The table's rows as the values of one insert (one write of the file).
QString rowValues(const Table &t, bool server) {
    QStringList rows;
    for (const QVariantList &row : t.rows) {
        QStringList values;
        for (const QVariant &v : row) values << literal(v, server);
        rows << QStringLiteral("    (") + values.join(QStringLiteral(", ")) + u')';
    }
    return rows.join(QStringLiteral(",\n"));
}

QString comment(const QString &note) {
    QString out;
    for (const QString &line : note.split(u'\n')) out += QStringLiteral("-- ") + line + u'\n';
    return out;
}

QString serverName(const QString &name) {
    QString q = name.toLower();
    q.replace(u'"', QStringLiteral("\"\""));
    return u'"' + q + u'"';
}

QString serverNames(const QStringList &names) {
    QStringList out;
    for (const QString &n : names) out << serverName(n);
    return out.join(QStringLiteral(", "));
}

QStringList columnNames(const Table &t) {
    QStringList out;
    for (const Column &c : t.columns) out << c.name;
    return out;
}

}  // namespace

const Database &dataDatabase() {
    static const Database db = makeData();
    return db;
}

const Database &workDatabase() {
    static const Database db = makeWork();
    return db;
}

QString fileScript(const Database &db) {
    QString out = comment(db.note);
    out += QStringLiteral("\nPRAGMA page_size = 4096;\n");
    for (const Table &t : db.tables) {
        out += u'\n' + comment(t.note);
        int w = 0;
        for (const Column &c : t.columns) w = std::max(w, width(c.name));
        QStringList cols;
        for (const Column &c : t.columns)
            cols << QStringLiteral("    ") + c.name + QString(w + 1 - width(c.name), u' ') + fileType(c.type);
        out += QStringLiteral("CREATE TABLE %1 (\n%2\n);\n").arg(t.name, cols.join(QStringLiteral(",\n")));
        for (const Index &i : t.indexes)
            if (i.onFile)
                out += QStringLiteral("CREATE INDEX %1 ON %2 (%3);\n").arg(i.name, t.name, i.columns.join(QStringLiteral(", ")));
        if (!t.rows.isEmpty())
            out += QStringLiteral("INSERT INTO %1 (%2) VALUES\n%3;\n")
                       .arg(t.name, columnNames(t).join(QStringLiteral(", ")), rowValues(t, false));
    }
    if (db.searchIndex) {
        out += u'\n' + comment(QStringLiteral(
                           "Full-text search of the reports' title, memo and customer name, all of it\n"
                           "derived from 営業日報 (a backup leaves it out; the program makes it again):\n"
                           "see model/ReportSearch.h."));
        for (const QString &statement : model::searchIndexSchema()) out += statement + QStringLiteral(";\n");
    }
    return out;
}

dao::ServerSchema serverSchema() {
    dao::ServerSchema s;
    for (const Table &t : dataDatabase().tables) {
        s.tables << t.name;
        QStringList cols;
        for (const Column &c : t.columns) {
            cols << serverName(c.name) + u' ' + serverType(c.type);
            if (!s.declaredNames.contains(c.name)) s.declaredNames << c.name;
        }
        s.statements << QStringLiteral("CREATE TABLE %1 (%2)").arg(serverName(t.name), cols.join(QStringLiteral(", ")));
        for (const Index &i : t.indexes) {
            const bool unique = i.server != Index::Server::Same;
            s.statements << QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)%5")
                                .arg(unique ? QStringLiteral("UNIQUE ") : QString(), serverName(i.name), serverName(t.name),
                                     serverNames(i.columns),
                                     i.server == Index::Server::UniqueNullsAlike ? QStringLiteral(" NULLS NOT DISTINCT") : QString());
            if (unique) s.keyIndexes << i.name.toLower();
        }
        if (!t.rows.isEmpty())
            s.statements << QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
                                .arg(serverName(t.name), serverNames(columnNames(t)), rowValues(t, true));
    }
    return s;
}

void useSchemaOnServers() { dao::setServerSchema(serverSchema()); }

}  // namespace tqen::model::schema
