#pragma once
// Class, interface and library identifiers in the platform's 128-bit layout,
// written "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
#include <QHashFunctions>
#include <QString>
#include <QtGlobal>

#include <cstring>

namespace tqen::com {

struct Guid {
    quint32 data1 = 0;
    quint16 data2 = 0;
    quint16 data3 = 0;
    quint8 data4[8] = {};

    // Parses with or without braces, either case; a null Guid when invalid.
    static Guid fromString(const QString &text);
    QString toString() const;  // upper case, with braces
    bool isNull() const { return *this == Guid{}; }

    friend bool operator==(const Guid &a, const Guid &b) {
        return std::memcmp(&a, &b, sizeof(Guid)) == 0;
    }
    friend bool operator!=(const Guid &a, const Guid &b) { return !(a == b); }
};

inline size_t qHash(const Guid &g, size_t seed = 0) {
    return qHashBits(&g, sizeof g, seed);
}

}  // namespace tqen::com
