#include "platform/com/TypeLib.h"

#include "platform/com/Control.h"
#include "platform/com/LoadedLibrary.h"
#include "platform/com/Registry.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace tqen::com {

const TypeDescription *TypeLibrary::find(const QString &typeName) const {
    for (const TypeDescription &t : types)
        if (t.name == typeName) return &t;
    return nullptr;
}

static const char *kindName(TypeDescription::Kind k) {
    switch (k) {
    case TypeDescription::Enum: return "enum";
    case TypeDescription::Dispatch: return "dispinterface";
    case TypeDescription::Events: return "events";
    case TypeDescription::CoClass: return "coclass";
    }
    return "enum";
}

QByteArray TypeLibrary::toJson() const {
    QJsonObject root;
    root["name"] = name;
    root["libid"] = libid.toString();
    root["version"] = QString::number(major) + '.' + QString::number(minor);
    root["lcid"] = double(lcid);
    QJsonArray ts;
    for (const TypeDescription &t : types) {
        QJsonObject o;
        o["kind"] = kindName(t.kind);
        o["name"] = t.name;
        if (!t.guid.isNull()) o["guid"] = t.guid.toString();
        if (!t.defaultInterface.isEmpty()) o["defaultInterface"] = t.defaultInterface;
        if (!t.defaultSource.isEmpty()) o["defaultSource"] = t.defaultSource;
        QJsonArray ms;
        for (const TypeMember &m : t.members) {
            QJsonObject mo;
            mo["name"] = m.name;
            mo["id"] = m.id;
            if (!m.type.isEmpty()) mo["type"] = m.type;
            if (m.hidden) mo["hidden"] = true;
            if (m.readOnly) mo["readOnly"] = true;
            if (m.method) mo["method"] = true;
            ms.append(mo);
        }
        o["members"] = ms;
        ts.append(o);
    }
    root["types"] = ts;
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}

std::optional<TypeLibrary> TypeLibrary::fromJson(const QByteArray &json) {
    QJsonParseError err;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &err);
    if (err.error != QJsonParseError::NoError || !doc.isObject()) return std::nullopt;
    const QJsonObject root = doc.object();
    TypeLibrary lib;
    lib.name = root.value("name").toString();
    lib.libid = Guid::fromString(root.value("libid").toString());
    const QStringList ver = root.value("version").toString().split('.');
    if (lib.name.isEmpty() || lib.libid.isNull() || ver.size() != 2) return std::nullopt;
    lib.major = ver[0].toInt();
    lib.minor = ver[1].toInt();
    lib.lcid = quint32(root.value("lcid").toDouble());
    for (const QJsonValue &tv : root.value("types").toArray()) {
        const QJsonObject o = tv.toObject();
        TypeDescription t;
        const QString kind = o.value("kind").toString();
        t.kind = kind == "dispinterface" ? TypeDescription::Dispatch
                 : kind == "events"      ? TypeDescription::Events
                 : kind == "coclass"     ? TypeDescription::CoClass
                                         : TypeDescription::Enum;
        t.name = o.value("name").toString();
        t.guid = Guid::fromString(o.value("guid").toString());
        t.defaultInterface = o.value("defaultInterface").toString();
        t.defaultSource = o.value("defaultSource").toString();
        for (const QJsonValue &mv : o.value("members").toArray()) {
            const QJsonObject mo = mv.toObject();
            TypeMember m;
            m.name = mo.value("name").toString();
            m.id = mo.value("id").toInt();
            m.type = mo.value("type").toString();
            m.hidden = mo.value("hidden").toBool();
            m.readOnly = mo.value("readOnly").toBool();
            m.method = mo.value("method").toBool();
            t.members.append(m);
        }
        lib.types.append(t);
    }
    return lib;
}

std::optional<TypeLibrary> loadTypeLibFromFile(const QString &libraryPath, HResult *hr) {
    auto fail = [&](HResult code) {
        if (hr) *hr = code;
        return std::nullopt;
    };
    if (!QFile::exists(libraryPath)) return fail(CO_E_DLLNOTFOUND);
    std::optional<TypeLibrary> lib;
    {
        LoadedLibrary file(libraryPath);
        if (!file.isLoaded()) return fail(CO_E_DLLNOTFOUND);
        if (auto fn = file.resolve<DllGetTypeLibTextFn>("DllGetTypeLibText"))
            if (const char *text = fn()) lib = TypeLibrary::fromJson(QByteArray(text));
    }
    if (!lib) return fail(TYPE_E_LIBNOTREGISTERED);
    if (hr) *hr = S_OK;
    return lib;
}

std::optional<TypeLibrary> loadRegTypeLib(const Guid &libid, int major, int minor, HResult *hr) {
    const auto entry = Registry::findTypeLib(libid, major, minor);
    if (!entry) {
        if (hr) *hr = TYPE_E_LIBNOTREGISTERED;
        return std::nullopt;
    }
    return loadTypeLibFromFile(entry->path, hr);
}

}  // namespace tqen::com
