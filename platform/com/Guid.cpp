#include "platform/com/Guid.h"

#include <QUuid>

namespace tqen::com {

Guid Guid::fromString(const QString &text) {
    QString t = text.trimmed();
    if (!t.startsWith('{')) t = '{' + t + '}';
    const QUuid u(t);
    Guid g;
    if (u.isNull()) return g;
    g.data1 = u.data1;
    g.data2 = u.data2;
    g.data3 = u.data3;
    std::memcpy(g.data4, u.data4, 8);
    return g;
}

QString Guid::toString() const {
    QUuid u(data1, data2, data3, data4[0], data4[1], data4[2], data4[3], data4[4], data4[5],
            data4[6], data4[7]);
    return u.toString(QUuid::WithBraces).toUpper();
}

}  // namespace tqen::com
