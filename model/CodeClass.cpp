#include "model/CodeClass.h"

#include "model/Values.h"

namespace tqen::model::CodeClass {

namespace {

std::function<void(int)> &observer() {
    static std::function<void(int)> o;
    return o;
}

std::optional<int> orderOf(const QVariant &v) {
    if (v.isNull()) return std::nullopt;
    bool ok = false;
    const int n = v.toString().trimmed().toInt(&ok);
    return ok ? std::optional<int>(n) : std::nullopt;
}

QVariant valueOf(const QString &text) { return text.isEmpty() ? QVariant() : QVariant(text); }
QVariant valueOf(const std::optional<int> &n) { return n ? QVariant(*n) : QVariant(); }

Slot slotOf(dao::Recordset &rs) {
    return {textOf(rs.field(QStringLiteral("code"))), textOf(rs.field(QStringLiteral("sname"))),
            orderOf(rs.field(QStringLiteral("cnt")))};
}

Error rolledBack(dao::Database &db, Error e) {
    db.rollback();
    return e;
}

}  // namespace

void setRegistrationObserver(std::function<void(int)> o) { observer() = std::move(o); }

QList<Slot> load(const QString &dataDbPath, const QString &codeClass, Error *error) {
    QList<Slot> out;
    auto db = dao::Database::open(dataDbPath);
    auto rs = select(db, QStringLiteral("select * from コードマスタ where kcode = ? order by cnt"), {codeClass});
    if (!rs.isOpen()) {
        if (error) *error = dao::failure(QStringLiteral("コード表を読めません。"), db, rs);
        return out;
    }
    for (; !rs.eof(); rs.moveNext()) out.append(slotOf(rs));
    if (error) *error = Error();
    return out;
}

Error registerClass(const QString &dataDbPath, const QString &codeClass, const QList<Slot> &entries) {
    // Rows of a class without a name would belong to no class.
    if (codeClass.isEmpty())
        return Error(Error::Code::BadInput, QStringLiteral("区分が指定されていないため、コード表を登録できません。"));
    // An empty grid never empties the class.
    if (entries.isEmpty())
        return Error(Error::Code::NotFound, QStringLiteral("登録する行がないため、コード表は変更しませんでした。"));
    const QString failed = QStringLiteral("コード表を登録できませんでした。コード表は変更されていません。");
    auto db = dao::Database::open(dataDbPath);
    if (!db.beginWriteTrans()) return dao::failure(failed, db);
    const auto &observe = observer();
    int step = 0;
    if (!run(db, QStringLiteral("delete * from コードマスタ where kcode = ?"), {codeClass}))
        return rolledBack(db, dao::failure(failed, db));
    if (observe) observe(++step);
    for (const Slot &s : entries) {
        if (!run(db, QStringLiteral("insert into コードマスタ (kcode, code, sname, cnt) values (?, ?, ?, ?)"),
                 {codeClass, s.code, valueOf(s.name), valueOf(s.order)}))
            return rolledBack(db, dao::failure(failed, db));
        if (observe) observe(++step);
    }
    if (!db.commitTrans()) return rolledBack(db, dao::failure(failed, db));
    return {};
}

Error blankGrid(const QString &workDbPath, int rows) {
    const QString failed = QStringLiteral("コード表の入力欄を用意できませんでした。");
    auto db = dao::Database::open(workDbPath);
    // One transaction: the rows in one write.
    if (!db.beginWriteTrans()) return dao::failure(failed, db);
    if (!db.execute(QStringLiteral("delete * from wコードマスタ"))) return rolledBack(db, dao::failure(failed, db));
    for (int i = 0; i < rows; ++i)
        if (!run(db, QStringLiteral("insert into wコードマスタ (code, チェック) values (?, ?)"),
                 {QStringLiteral("%1").arg(i + 1, 2, 10, QLatin1Char('0')), false}))
            return rolledBack(db, dao::failure(failed, db));
    if (!db.commitTrans()) return rolledBack(db, dao::failure(failed, db));
    return {};
}

Error fillGrid(const QString &workDbPath, const QList<Slot> &entries) {
    const QString failed = QStringLiteral("コード表を入力欄に写せませんでした。");
    auto db = dao::Database::open(workDbPath);
    if (!db.beginWriteTrans()) return dao::failure(failed, db);
    for (const Slot &s : entries)
        if (!run(db, QStringLiteral("update wコードマスタ set sname = ?, cnt = ? where code = ?"),
                 {valueOf(s.name), valueOf(s.order), s.code}))
            return rolledBack(db, dao::failure(failed, db));
    if (!db.commitTrans()) return rolledBack(db, dao::failure(failed, db));
    return {};
}

QList<Slot> gridSlots(const QString &workDbPath, Error *error) {
    QList<Slot> out;
    auto db = dao::Database::open(workDbPath);
    auto rs = db.openRecordset(QStringLiteral("select * from wコードマスタ order by 行番号"));
    if (!rs.isOpen()) {
        if (error) *error = dao::failure(QStringLiteral("コード表の入力内容を読めませんでした。"), db, rs);
        return out;
    }
    for (; !rs.eof(); rs.moveNext()) {
        Slot s = slotOf(rs);
        if (s.code.isEmpty()) break;
        // An empty cell is a free slot.
        if (s.name.isEmpty()) s.name = QString();
        out.append(s);
    }
    if (error) *error = Error();
    return out;
}

Error freeTicked(const QString &workDbPath) {
    auto db = dao::Database::open(workDbPath);
    if (!run(db, QStringLiteral("update wコードマスタ set sname = Null where チェック = ?"), {true}))
        return dao::failure(QStringLiteral("チェックした行を削除できませんでした。"), db);
    return {};
}

}  // namespace tqen::model::CodeClass
