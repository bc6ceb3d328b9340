#pragma once
// Readable GoogleTest output for Qt values.
#include <QByteArray>
#include <QDate>
#include <QString>
#include <QVariant>
#include <ostream>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QByteArray &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QDate &d, std::ostream *os) { *os << d.toString(Qt::ISODate).toStdString(); }
inline void PrintTo(const QVariant &v, std::ostream *os) {
    if (v.isNull()) *os << "Null";
    else *os << v.typeName() << '(' << v.toString().toStdString() << ')';
}
QT_END_NAMESPACE
