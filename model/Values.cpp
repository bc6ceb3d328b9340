#include "model/Values.h"

namespace tqen::model {

dao::Recordset select(dao::Database &db, const QString &jetSql, const QVariantList &values) {
    return db.openRecordset(jetSql, values);
}

bool run(dao::Database &db, const QString &jetSql, const QVariantList &values) { return db.execute(jetSql, values); }

void andEquals(QString &sql, QVariantList &values, const QString &column, const QString &value) {
    if (value.isEmpty()) return;
    sql += QStringLiteral(" and ") + column + QStringLiteral(" = ?");
    values << value;
}

QStringList textsOf(dao::Recordset &rs, const QString &field) {
    QStringList out;
    for (; !rs.eof(); rs.moveNext()) {
        const QVariant v = rs.field(field);
        if (!v.isNull()) out << v.toString();
    }
    return out;
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
QString startsWithPattern(const QString &typed) { return dao::likeValue(typed) + u'*'; }
}  // namespace tqen::model
