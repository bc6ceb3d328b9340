#pragma once
// Type information of a server library: its interfaces with their members and
// DISPIDs, its event interfaces, its control classes and its enumerations
// with member names and values. A server carries it as JSON text returned by
// its export DllGetTypeLibText; hosts and pages read it at run time.
#include "platform/com/Guid.h"
#include "platform/com/HResult.h"

#include <QList>
#include <QString>

#include <optional>

namespace tqen::com {

struct TypeMember {
    QString name;
    qint32 id = 0;      // DISPID of a property, method or event; value of an enum member
    QString type;       // "short", "OLE_XSIZE_CONTAINER", "enumBE", "BSTR", …
    bool hidden = false;
    bool readOnly = false;
    bool method = false;
};

struct TypeDescription {
    enum Kind { Enum, Dispatch, Events, CoClass };
    Kind kind = Enum;
    QString name;
    Guid guid;  // null for enumerations
    QList<TypeMember> members;
    // CoClass only:
    QString defaultInterface;
    QString defaultSource;
};

struct TypeLibrary {
    QString name;
    Guid libid;
    int major = 0;
    int minor = 0;
    quint32 lcid = 0;
    QList<TypeDescription> types;

    const TypeDescription *find(const QString &typeName) const;
    QByteArray toJson() const;
    static std::optional<TypeLibrary> fromJson(const QByteArray &json);
};

// Reads the type library carried by a server library file.
std::optional<TypeLibrary> loadTypeLibFromFile(const QString &libraryPath, HResult *hr = nullptr);
// Reads a registered type library (by identity and version) from its file.
std::optional<TypeLibrary> loadRegTypeLib(const Guid &libid, int major, int minor,
                                          HResult *hr = nullptr);

}  // namespace tqen::com
