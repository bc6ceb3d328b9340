#include "model/Values.h"

namespace tqen::model {

namespace {

// The Jet text with each ? replaced by its value written as a literal. The
// model's statements hold no ? inside their own literals.
QString bound(const QString &jetSql, const QVariantList &values, bool *ok) {
    QString out;
    out.reserve(jetSql.size() + 32 * values.size());
    qsizetype next = 0;
    for (const QChar c : jetSql) {
        if (c != u'?') {
            out += c;
            continue;
        }
        if (next >= values.size()) {
            *ok = false;
            return {};
        }
        const QVariant &v = values[next++];
        if (v.isNull()) out += QStringLiteral("Null");
        else if (v.typeId() == QMetaType::QDate) out += dao::sqlDate(v.toDate());
        else if (v.typeId() == QMetaType::Bool) out += v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        else if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong) out += QString::number(v.toLongLong());
        else out += dao::sqlText(v.toString());
    }
    *ok = next == values.size();
    return out;
}

}  // namespace

dao::Recordset select(dao::Database &db, const QString &jetSql, const QVariantList &values) {
    bool ok = true;
    const QString sql = bound(jetSql, values, &ok);
    return db.openRecordset(ok ? sql : QStringLiteral("select * from ? ?"));
}

bool run(dao::Database &db, const QString &jetSql, const QVariantList &values) {
    bool ok = true;
    const QString sql = bound(jetSql, values, &ok);
    return ok && db.execute(sql);
}

QString textOf(const QVariant &field) { return field.isNull() ? QString() : field.toString(); }

QDate dateOf(const QVariant &field) {
    if (field.typeId() == QMetaType::QDate) return field.toDate();
    if (field.typeId() == QMetaType::QDateTime) return field.toDateTime().date();
    const QString t = field.toString();
    QDate d = QDate::fromString(t.left(10), Qt::ISODate);
    if (!d.isValid()) d = QDate::fromString(t.left(10), QStringLiteral("yyyy/MM/dd"));
    return d;
}

}  // namespace tqen::model

namespace tqen::model {
QString startsWithPattern(const QString &typed) {
    QString out;
    for (const QChar c : typed) {
        if (c == u'*' || c == u'?' || c == u'#' || c == u'[') out += u'[' + QString(c) + u']';
        else out += c;
    }
    return out + u'*';
}
}  // namespace tqen::model
