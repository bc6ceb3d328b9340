#include "model/Customers.h"

#include "model/Values.h"

namespace tqen::model::Customers {

namespace {

// The kana of the index in three spellings, position by position.
const QString &hiraganaTable() {
    static const QString t = QStringLiteral("あいうえおかきくけこさしすせそたちつてと") +
                             QStringLiteral("なにぬねのはひふへほまみむめも") +
                             QStringLiteral("やいゆえよらりるれろわいうゑをん");
    return t;
}
const QString &katakanaTable() {
    static const QString t = QStringLiteral("アイウエオカキクケコサシスセソタチツテト") +
                             QStringLiteral("ナニヌネノハヒフヘホマミムメモ") +
                             QStringLiteral("ヤイユエヨラリルレロワイユヱヲン");
    return t;
}
const QString &halfWidthTable() {
    static const QString t = QStringLiteral("ｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄ") + QStringLiteral("ﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓ") +
                             QStringLiteral("ﾔｲﾕｴﾖﾗﾘﾙﾚﾛﾜｲｳｴｦﾝ");
    return t;
}

}  // namespace

void kanaSpellings(const QString &hiragana, QString *katakana, QString *halfWidth) {
    *katakana = QString();
    *halfWidth = QString();
    if (hiragana.isEmpty()) return;
    const qsizetype at = hiraganaTable().indexOf(hiragana.left(1));
    if (at < 0) return;
    *halfWidth = QString(halfWidthTable()[at]);
    *katakana = QString(katakanaTable()[at]);
}

QStringList names(const QString &dataDbPath, const QString &staff, Error *error) {
    auto db = dao::Database::open(dataDbPath);
    auto rs = staff.isEmpty()
                  ? db.openRecordset(QStringLiteral("select 名称 from 顧客マスタ order by ふりがな"))
                  : select(db, QStringLiteral("select 名称 from 顧客マスタ where 担当 = ? order by ふりがな"), {staff});
    if (error) *error = rs.isOpen() ? Error() : dao::failure(QStringLiteral("顧客マスタを読めませんでした。"), db, rs);
    return textsOf(rs, QStringLiteral("名称"));
}

Error upsertIn(dao::Database &db, const QString &name, const QString &reading, const QString &staff) {
    const QString text = QStringLiteral("顧客マスタに書き込めませんでした。");
    auto rs = select(db, QStringLiteral("select * from 顧客マスタ where 名称 = ?"), {name});
    if (!rs.isOpen()) return dao::failure(text, db, rs);
    if (rs.bof() && rs.eof()) rs.addNew();
    else rs.edit();
    rs.setField(QStringLiteral("名称"), name);
    if (!reading.isEmpty()) rs.setField(QStringLiteral("ふりがな"), reading);
    rs.setField(QStringLiteral("担当"), staff);
    if (!rs.update()) return dao::failure(text, db, rs);
    return Error();
}

QList<Customer> byKana(const QString &dataDbPath, const QString &kana, Error *error) {
    QString katakana, halfWidth;
    kanaSpellings(kana, &katakana, &halfWidth);
    QList<Customer> out;
    auto db = dao::Database::open(dataDbPath);
    auto rs = select(db,
                     QStringLiteral("select 名称,ふりがな from 顧客マスタ where (ふりがな like ?) or (ふりがな like ?)"
                                    " or (ふりがな like ?) order by ふりがな"),
                     {startsWithPattern(kana), startsWithPattern(katakana), startsWithPattern(halfWidth)});
    if (!rs.isOpen()) {
        if (error) *error = dao::failure(QStringLiteral("顧客マスタを読めませんでした。"), db, rs);
        return out;
    }
    for (; !rs.eof(); rs.moveNext())
        out.append({textOf(rs.field(QStringLiteral("名称"))), textOf(rs.field(QStringLiteral("ふりがな")))});
    if (error) *error = Error();
    return out;
}

Error writeIndex(const QString &workDbPath, const QList<Customer> &customers) {
    const QString text = QStringLiteral("顧客の一覧を作れませんでした。");
    auto work = dao::Database::open(workDbPath);
    if (!work.beginTrans()) return dao::failure(text, work);
    bool ok = work.execute(QStringLiteral("delete * from w顧客参照"));
    for (qsizetype i = 0; ok && i < customers.size(); ++i)
        ok = run(work, QStringLiteral("insert into w顧客参照 (名称, ふりがな) values (?, ?)"),
                 {customers[i].name, customers[i].reading.isNull() ? QVariant() : QVariant(customers[i].reading)});
    if (!ok || !work.commitTrans()) {
        const Error e = dao::failure(text, work);
        work.rollback();
        return e;
    }
    return Error();
}

}  // namespace tqen::model::Customers
