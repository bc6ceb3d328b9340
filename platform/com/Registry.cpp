#include "platform/com/Registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QMutex>
#include <QSaveFile>
#include <QStandardPaths>

#include <functional>

#include <sys/stat.h>

namespace tqen::com {

QString Registry::filePath() {
    const QByteArray env = qgetenv("TQEN_COM_REGISTRY");
    if (!env.isEmpty()) return QString::fromLocal8Bit(env);
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           "/tqen/com-registry.json";
}

namespace {

// What identifies one state of the file: a write replaces it with a new file
// (new inode), and any change moves its modification time or size.
struct FileStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    friend bool operator==(const FileStamp &a, const FileStamp &b) {
        return a.exists == b.exists && a.device == b.device && a.inode == b.inode &&
               a.size == b.size && a.modified.tv_sec == b.modified.tv_sec &&
               a.modified.tv_nsec == b.modified.tv_nsec;
    }
};

FileStamp stampOf(const struct stat &st) {
    return {true, st.st_dev, st.st_ino, st.st_size, st.st_mtim};
}

FileStamp stampOf(const QString &path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return {};
    return stampOf(st);
}

// The file as last parsed; read again only when its stamp changed.
struct ParsedFile {
    QString path;
    FileStamp stamp;
    QJsonObject root;
    bool valid = false;
};

QMutex g_mutex;
ParsedFile g_parsed;
quint64 g_parses = 0;

QJsonObject readAll(bool *ok) {
    const QString path = Registry::filePath();
    QMutexLocker locker(&g_mutex);
    *ok = true;
    const FileStamp now = stampOf(path);
    if (g_parsed.valid && g_parsed.path == path && g_parsed.stamp == now) return g_parsed.root;
    g_parsed.valid = false;
    if (!now.exists) {
        g_parsed = {path, now, {}, true};
        return {};
    }
    QFile f(path);
    struct stat st {};
    if (!f.open(QIODevice::ReadOnly) || ::fstat(f.handle(), &st) != 0) {
        *ok = false;
        return {};
    }
    ++g_parses;
    QJsonParseError err;
    const QJsonDocument doc = QJsonDocument::fromJson(f.readAll(), &err);
    if (err.error != QJsonParseError::NoError || !doc.isObject()) {
        *ok = false;  // never overwrite a file we cannot read
        return {};
    }
    // The stamp of the file that was read, which a later replace changes.
    g_parsed = {path, stampOf(st), doc.object(), true};
    return g_parsed.root;
}

// The file now holds root, written by this process.
void remember(const QString &path, const QJsonObject &root) {
    QMutexLocker locker(&g_mutex);
    g_parsed = {path, stampOf(path), root, true};
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
    if (!f.commit()) return false;
    remember(path, root);  // still under the lock: no other writer came between
    return true;
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

quint64 Registry::fileReads() {
    QMutexLocker locker(&g_mutex);
    return g_parses;
}

}  // namespace tqen::com
