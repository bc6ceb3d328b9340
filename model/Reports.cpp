#include "model/Reports.h"

#include "model/CodeTable.h"
#include "model/Customers.h"
#include "model/Values.h"

namespace tqen::model::Reports {

namespace {

std::function<void()> &lookupObserver() {
    static std::function<void()> observer;
    return observer;
}

// A slot taken by another program since it was read is looked for again,
// within the same transaction (a server reads what others committed at each
// statement).
Error addStaffName(dao::Database &db, const QString &staff) {
    Error e;
    for (int attempt = 0; attempt < 50; ++attempt) {
        bool conflict = false;
        e = CodeTable::addNameIn(db, QStringLiteral("担当"), staff, &conflict);
        if (!conflict) return e;
    }
    return e;
}

}  // namespace

void setLookupObserver(std::function<void()> observer) { lookupObserver() = std::move(observer); }

std::optional<Report> read(const QString &dataDbPath, const QDate &day, const QString &customer, const QString &staff,
                           Error *error) {
    QString sql = QStringLiteral("select * from 営業日報 where 日付 = ?");
    QVariantList values{day};
    andEquals(sql, values, QStringLiteral("顧客名"), customer);
    andEquals(sql, values, QStringLiteral("担当"), staff);
    auto db = dao::Database::open(dataDbPath);
    auto rs = select(db, sql, values);
    if (error) *error = rs.isOpen() ? Error() : dao::failure(QStringLiteral("営業日報を読めませんでした。"), db, rs);
    if (rs.bof() && rs.eof()) return std::nullopt;
    rs.moveFirst();
    Report r;
    r.day = dateOf(rs.field(QStringLiteral("日付")));
    r.customer = textOf(rs.field(QStringLiteral("顧客名")));
    r.reading = textOf(rs.field(QStringLiteral("ふりがな")));
    r.title = textOf(rs.field(QStringLiteral("タイトル")));
    r.staff = textOf(rs.field(QStringLiteral("担当")));
    r.memo = textOf(rs.field(QStringLiteral("メモ")));
    return r;
}

Error enter(Session &session, const Report &report, Notes *notes, const std::optional<PlannedStep> &next) {
    Notes local;
    Notes &n = notes ? *notes : local;
    n = Notes();
    const QString failedText = QStringLiteral("営業日報を登録できませんでした。入力した内容はそのまま残っています。");
    if (next)
        if (const QString why = NextSteps::problem(report.day, *next); !why.isEmpty())
            return Error(Error::Code::BadInput, failedText, why);
    auto db = dao::Database::open(session.dataDbPath);
    // The look-up and the write are one step for every program on the file.
    if (!db.beginWriteTrans()) return dao::failure(failedText, db);
    const auto fail = [&db](const Error &e) {
        db.rollback();
        return e;
    };
    auto rs = select(db, QStringLiteral("select * from 営業日報 where 顧客名 = ? and 担当 = ? and 日付 = ?"),
                     {report.customer, report.staff, report.day});
    if (lookupObserver()) lookupObserver()();
    if (!rs.isOpen()) return fail(dao::failure(failedText, db, rs));
    if (rs.bof() && rs.eof()) rs.addNew();
    else rs.edit();
    rs.setField(QStringLiteral("顧客名"), report.customer);
    rs.setField(QStringLiteral("ふりがな"), report.reading);
    rs.setField(QStringLiteral("タイトル"), report.title);
    rs.setField(QStringLiteral("担当"), report.staff);
    // An empty memo leaves a stored memo as it was.
    if (!report.memo.isEmpty()) rs.setField(QStringLiteral("メモ"), report.memo);
    rs.setField(QStringLiteral("日付"), report.day);
    if (!rs.update()) return fail(dao::failure(failedText, db, rs));
    rs.close();
    if (Error e = Customers::upsertIn(db, report.customer, report.reading, report.staff); !e.ok())
        return fail(Error(e.code(), failedText, e.message() + (e.detail().isEmpty() ? QString() : u'\n' + e.detail())));
    const ReportKey key{report.day, report.customer, report.staff};
    const auto stepFailed = [&](const Error &e) {
        return fail(Error(e.code(), failedText, e.text() + (e.detail().isEmpty() ? QString() : u'\n' + e.detail())));
    };
    if (Error e = NextSteps::closeDueIn(db, key); !e.ok()) return stepFailed(e);
    if (next)
        if (Error e = NextSteps::setIn(db, key, *next); !e.ok()) return stepFailed(e);
    n.codeName = addStaffName(db, report.staff);
    if (n.codeName.code() == Error::Code::DatabaseFailed)
        return fail(Error(n.codeName.code(), failedText, n.codeName.message() + u'\n' + n.codeName.detail()));
    if (!db.commitTrans()) return fail(dao::failure(failedText, db));
    db.close();

    // Remember staff, customer and reading for the next start; a settings
    // table without a row remembers nothing.
    Settings &env = session.env;
    if (env.present) {
        if (!report.staff.isEmpty()) env.担当 = report.staff;
        if (!report.customer.isEmpty()) env.顧客名 = report.customer;
        if (!report.reading.isEmpty()) env.ふりがな = report.reading;
        n.remembered = env.write(session.workDbPath);
    }
    return Error();
}

QMap<QDate, int> countsByDay(const QString &dataDbPath, const QDate &first, const QDate &last, const QString &staff,
                             const QString &customer, Error *error) {
    QString sql = QStringLiteral("select 日付, count(*) as 件数 from 営業日報 where 日付 >= ? and 日付 <= ?");
    QVariantList values{first, last};
    andEquals(sql, values, QStringLiteral("担当"), staff);
    andEquals(sql, values, QStringLiteral("顧客名"), customer);
    sql += QStringLiteral(" group by 日付");
    QMap<QDate, int> out;
    auto db = dao::Database::open(dataDbPath);
    auto rs = select(db, sql, values);
    if (error) *error = rs.isOpen() ? Error() : dao::failure(QStringLiteral("営業日報を読めませんでした。"), db, rs);
    for (; !rs.eof(); rs.moveNext()) {
        const QDate d = dateOf(rs.field(QStringLiteral("日付")));
        if (d.isValid()) out[d] += rs.field(QStringLiteral("件数")).toInt();
    }
    return out;
}

QString unreadableReason(const QString &dataDbPath) {
    auto db = dao::Database::open(dataDbPath);
    if (!db.isOpen()) return db.error();
    auto rs = select(db, QStringLiteral("select * from 営業日報 where 日付 = ?"), {QDate(1900, 1, 1)});
    return rs.isOpen() ? QString() : rs.error();
}

QString printTableStatement(const PrintSelection &selection, const QString &dataDbPath) {
    QString sql = QStringLiteral("insert into w日報印刷 select * from 営業日報 in ") + dao::sqlText(dataDbPath);
    bool where = false;
    auto joiner = [&where] {
        if (where) return QStringLiteral(" and ");
        where = true;
        return QStringLiteral(" where ");
    };
    if (selection.start.isValid()) {
        sql += QStringLiteral(" where 日付 >= ") + dao::sqlDate(selection.start);
        where = true;
    }
    if (selection.end.isValid()) sql += joiner() + QStringLiteral(" 日付 <= ") + dao::sqlDate(selection.end);
    if (!selection.customer.isEmpty()) sql += joiner() + QStringLiteral(" 顧客名 = ") + dao::sqlText(selection.customer);
    if (!selection.staff.isEmpty()) sql += joiner() + QStringLiteral(" 担当= ") + dao::sqlText(selection.staff);
    sql += QStringLiteral(" order by 日付,顧客名,担当;");
    return sql;
}

Error fillPrintTable(const QString &workDbPath, const QString &dataDbPath, const PrintSelection &selection) {
    auto db = dao::Database::open(workDbPath);
    if (!db.execute(QStringLiteral("delete * from w日報印刷")))
        return dao::failure(QStringLiteral("印刷の準備ができません。作業ファイルに書き込めません。"), db);
    if (!db.execute(printTableStatement(selection, dataDbPath)))
        return dao::failure(QStringLiteral("印刷する日報をデータファイルから写せません。"), db);
    return Error();
}

std::pair<QDate, QDate> printedDays(const QString &workDbPath) {
    auto work = dao::Database::open(workDbPath);
    auto rs = select(work, QStringLiteral("select min(日付) as a, max(日付) as b from w日報印刷"), {});
    if (rs.eof()) return {};
    return {dateOf(rs.field(QStringLiteral("a"))), dateOf(rs.field(QStringLiteral("b")))};
}

}  // namespace tqen::model::Reports
