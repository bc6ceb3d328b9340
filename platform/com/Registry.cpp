#include "platform/com/Registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>

#include <functional>

namespace tqen::com {

QString Registry::filePath() {
    const QByteArray env = qgetenv("TQEN_COM_REGISTRY");
    if (!env.isEmpty()) return QString::fromLocal8Bit(env);
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           "/tqen/com-registry.json";
}

namespace {

QJsonObject readAll(bool *ok) {
    QFile f(Registry::filePath());
    *ok = true;
    if (!f.exists()) return {};
    if (!f.open(QIODevice::ReadOnly)) {
        *ok = false;
        return {};
    }
    QJsonParseError err;
    const QJsonDocument doc = QJsonDocument::fromJson(f.readAll(), &err);
    if (err.error != QJsonParseError::NoError || !doc.isObject()) {
        *ok = false;  // never overwrite a file we cannot read
        return {};
    }
    return doc.object();
}

// Locked read-modify-write. change() returns false to abandon the write.
bool modify(const std::function<bool(QJsonObject &)> &change) {
    const QString path = Registry::filePath();
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
    QLockFile lock(path + ".lock");
    lock.setStaleLockTime(10000);
    if (!lock.tryLock(5000)) return false;
    bool ok = false;
    QJsonObject root = readAll(&ok);
    if (!ok) return false;
    if (!change(root)) return false;
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    const QByteArray bytes = QJsonDocument(root).toJson(QJsonDocument::Indented);
    if (f.write(bytes) != bytes.size()) return false;
    return f.commit();
}

QString versionText(int major, int minor) {
    return QString::number(major) + '.' + QString::number(minor);
}

QString typeLibKey(const Guid &libid, int major, int minor) {
    return libid.toString() + '\\' + versionText(major, minor);
}

}  // namespace

bool Registry::registerClass(const ClassEntry &e) {
    return modify([&](QJsonObject &root) {
        QJsonObject classes = root.value("classes").toObject();
        QJsonObject progIds = root.value("progIds").toObject();
        QJsonObject c;
        c["progId"] = e.progId;
        c["typeName"] = e.typeName;
        c["server"] = e.server;
        c["kind"] = e.kind == ClassEntry::Control ? "control" : "propertyPage";
        if (e.kind == ClassEntry::Control) {
            c["typeLib"] = e.typeLib.toString();
            c["version"] = versionText(e.typeLibMajor, e.typeLibMinor);
            c["miscStatus"] = double(e.miscStatus);
            c["toolboxBitmap"] = e.toolboxBitmap;
            c["insertable"] = e.insertable;
        }
        classes[e.clsid.toString()] = c;
        if (!e.progId.isEmpty()) progIds[e.progId] = e.clsid.toString();
        root["classes"] = classes;
        root["progIds"] = progIds;
        return true;
    });
}

bool Registry::unregisterClass(const Guid &clsid) {
    return modify([&](QJsonObject &root) {
        QJsonObject classes = root.value("classes").toObject();
        QJsonObject progIds = root.value("progIds").toObject();
        const QString key = clsid.toString();
        const QString progId = classes.value(key).toObject().value("progId").toString();
        classes.remove(key);
        if (!progId.isEmpty() && progIds.value(progId).toString() == key) progIds.remove(progId);
        root["classes"] = classes;
        root["progIds"] = progIds;
        return true;
    });
}

std::optional<ClassEntry> Registry::findClass(const Guid &clsid) {
    bool ok = false;
    const QJsonObject root = readAll(&ok);
    const QJsonValue v = root.value("classes").toObject().value(clsid.toString());
    if (!v.isObject()) return std::nullopt;
    const QJsonObject c = v.toObject();
    ClassEntry e;
    e.clsid = clsid;
    e.progId = c.value("progId").toString();
    e.typeName = c.value("typeName").toString();
    e.server = c.value("server").toString();
    e.kind = c.value("kind").toString() == "propertyPage" ? ClassEntry::PropertyPage
                                                          : ClassEntry::Control;
    e.typeLib = Guid::fromString(c.value("typeLib").toString());
    const QStringList ver = c.value("version").toString().split('.');
    if (ver.size() == 2) {
        e.typeLibMajor = ver[0].toInt();
        e.typeLibMinor = ver[1].toInt();
    }
    e.miscStatus = quint32(c.value("miscStatus").toDouble());
    e.toolboxBitmap = c.value("toolboxBitmap").toInt();
    e.insertable = c.value("insertable").toBool();
    return e;
}

std::optional<Guid> Registry::clsidFromProgId(const QString &progId) {
    bool ok = false;
    const QJsonObject root = readAll(&ok);
    const QJsonValue v = root.value("progIds").toObject().value(progId);
    if (!v.isString()) return std::nullopt;
    const Guid g = Guid::fromString(v.toString());
    if (g.isNull()) return std::nullopt;
    return g;
}

bool Registry::registerTypeLib(const TypeLibEntry &e) {
    return modify([&](QJsonObject &root) {
        QJsonObject libs = root.value("typeLibs").toObject();
        QJsonObject t;
        t["name"] = e.name;
        t["lcid"] = double(e.lcid);
        t["path"] = e.path;
        t["helpDir"] = e.helpDir;
        libs[typeLibKey(e.libid, e.major, e.minor)] = t;
        root["typeLibs"] = libs;
        return true;
    });
}

bool Registry::unregisterTypeLib(const Guid &libid, int major, int minor) {
    return modify([&](QJsonObject &root) {
        QJsonObject libs = root.value("typeLibs").toObject();
        const QString key = typeLibKey(libid, major, minor);
        if (!libs.contains(key)) return false;
        libs.remove(key);
        root["typeLibs"] = libs;
        return true;
    });
}

std::optional<TypeLibEntry> Registry::findTypeLib(const Guid &libid, int major, int minor) {
    bool ok = false;
    const QJsonObject root = readAll(&ok);
    const QJsonValue v =
        root.value("typeLibs").toObject().value(typeLibKey(libid, major, minor));
    if (!v.isObject()) return std::nullopt;
    const QJsonObject t = v.toObject();
    TypeLibEntry e;
    e.libid = libid;
    e.major = major;
    e.minor = minor;
    e.lcid = quint32(t.value("lcid").toDouble());
    e.name = t.value("name").toString();
    e.path = t.value("path").toString();
    e.helpDir = t.value("helpDir").toString();
    return e;
}

QString Registry::value(const QString &key) {
    bool ok = false;
    return readAll(&ok).value("values").toObject().value(key).toString();
}

bool Registry::setValue(const QString &key, const QString &value) {
    return modify([&](QJsonObject &root) {
        QJsonObject values = root.value("values").toObject();
        values[key] = value;
        root["values"] = values;
        return true;
    });
}

bool Registry::removeValue(const QString &key) {
    return modify([&](QJsonObject &root) {
        QJsonObject values = root.value("values").toObject();
        values.remove(key);
        root["values"] = values;
        return true;
    });
}

}  // namespace tqen::com
