#pragma once
// The component registry: which server library carries a class (CLSID), the
// class's ProgID, type name and type library, the registered type libraries,
// and plain named values (a vendor's help folder). It is one JSON file:
// $TQEN_COM_REGISTRY when set, else $XDG_DATA_HOME/tqen/com-registry.json
// (~/.local/share/tqen/com-registry.json). Every change is a locked
// read-modify-write with an atomic replace, so two processes never lose each
// other's entries. The file is parsed once and again only when it changed
// (another process wrote it, or it was replaced), not on every look-up.
#include "platform/com/Guid.h"

#include <QString>

#include <optional>

namespace tqen::com {

struct ClassEntry {
    Guid clsid;
    QString progId;    // may be empty
    QString typeName;
    QString server;    // full path of the server library
    enum Kind { Control, PropertyPage } kind = Control;
    // Controls only:
    Guid typeLib;
    int typeLibMajor = 0;
    int typeLibMinor = 0;
    quint32 miscStatus = 0;
    int toolboxBitmap = 0;
    bool insertable = false;
};

struct TypeLibEntry {
    Guid libid;
    int major = 0;
    int minor = 0;
    quint32 lcid = 0;
    QString name;
    QString path;     // file that carries it
    QString helpDir;
};

class Registry {
public:
    static QString filePath();

    // Writes succeed or report false (file not writable); nothing half-written.
    static bool registerClass(const ClassEntry &entry);
    // Removes the class and its ProgID; an absent class is not an error.
    static bool unregisterClass(const Guid &clsid);
    static std::optional<ClassEntry> findClass(const Guid &clsid);
    static std::optional<Guid> clsidFromProgId(const QString &progId);

    static bool registerTypeLib(const TypeLibEntry &entry);
    // false when that library (and version) is not registered or the file
    // cannot be written.
    static bool unregisterTypeLib(const Guid &libid, int major, int minor);
    static std::optional<TypeLibEntry> findTypeLib(const Guid &libid, int major, int minor);

    // Named values ("HKEY_LOCAL_MACHINE\\SOFTWARE\\…"); empty when absent.
    static QString value(const QString &key);
    static bool setValue(const QString &key, const QString &value);

    // How often this process has parsed the file (diagnostics and tests).
    static quint64 fileReads();
};

}  // namespace tqen::com
