#pragma once
// The contract between a control server library and its host: the class
// factory returned by DllGetClassObject, the control object it creates, the
// property page object, the ambient values and units the container gives, and
// the property bag of a stored form layout.
//
// Both sides link the same Qt and C++ runtime; the interfaces hold only Qt
// value types and pointers to these abstract classes.
#include "platform/com/Dispatch.h"
#include "platform/com/Guid.h"
#include "platform/com/HResult.h"
#include "platform/com/Units.h"

#include <QImage>
#include <QList>
#include <QVariantMap>

class QWidget;

namespace tqen::com {

// Interface identifiers asked of DllGetClassObject and ClassFactory.
inline const Guid IID_IClassFactory = Guid::fromString("{00000001-0000-0000-C000-000000000046}");
inline const Guid IID_OleControl = Guid::fromString("{7A1C4E20-6B3F-4E8A-9C51-0D2B7E4F1A01}");
inline const Guid IID_PropertyPage = Guid::fromString("{7A1C4E21-6B3F-4E8A-9C51-0D2B7E4F1A01}");

// The platform's standard property pages (colour, font, picture).
inline const Guid CLSID_StockColorPage = Guid::fromString("{7EBDAAE1-8120-11CF-899F-00AA00688B10}");
inline const Guid CLSID_StockFontPage = Guid::fromString("{7EBDAAE0-8120-11CF-899F-00AA00688B10}");
inline const Guid CLSID_StockPicturePage = Guid::fromString("{7EBDAAE2-8120-11CF-899F-00AA00688B10}");

// Ambient properties of the container.
struct Ambient {
    ContainerUnits units = ContainerUnits::Twips;
    bool userMode = true;  // run mode (false: the form is being designed)
    bool uiDead = false;   // the container ignores user input for now
    QString displayName;   // the control's name in the container ("LblCald")
};

// The stored properties of one control in a form layout: name → value.
// Numbers, bool, strings, colours as integers, the font as a QVariantMap
// ("Name", "Size", "Bold", "Italic", "Underline", "Strikethrough", "Weight",
// "Charset") or a QFont, pictures as PNG bytes (QByteArray) or a QPixmap.
class PropertyBag {
public:
    PropertyBag() = default;
    PropertyBag(QVariantMap values) : m_values(std::move(values)) {}
    bool read(const QString &name, QVariant *out) const {
        auto it = m_values.constFind(name);
        if (it == m_values.constEnd()) return false;
        *out = it.value();
        return true;
    }
    void write(const QString &name, const QVariant &value) { m_values.insert(name, value); }
    bool contains(const QString &name) const { return m_values.contains(name); }
    const QVariantMap &values() const { return m_values; }

private:
    QVariantMap m_values;
};

class OleControl : public Dispatch {
public:
    virtual QWidget *widget() = 0;
    // Ambient values and units; the container sets them before loading.
    virtual void setAmbient(const Ambient &ambient) = 0;
    virtual Ambient ambient() const = 0;
    // Where the control's events go: one handler at a time; an empty one
    // disconnects.
    virtual void advise(EventHandler handler) = 0;
    // Persistence: a fresh control (defaults), or the stored layout.
    virtual HResult initNew() = 0;
    virtual HResult load(const PropertyBag &bag) = 0;
    virtual HResult save(PropertyBag *bag, bool clearDirty) = 0;
    virtual bool isDirty() const = 0;
    // Property pages, in order, and the page that edits one property
    // (a null Guid when there is none).
    virtual QList<Guid> propertyPages() const = 0;
    virtual Guid pageOfProperty(int dispid) const = 0;
    // The control drawn into an image of any size (its metafile drawing).
    virtual QImage drawImage(const QSize &size) = 0;
    // Destroys the control and its widget; the pointer is invalid afterwards.
    virtual void release() = 0;

protected:
    ~OleControl() = default;
};

// What a property page says about itself for help: a line that describes
// it, the help file and the topic in that file (0: none).
struct PageHelp {
    QString text;
    QString file;
    quint32 context = 0;
};

class PropertyPage {
public:
    virtual QWidget *widget() = 0;
    virtual QString title() const = 0;
    // The objects being edited; the page shows the first one's values.
    virtual void setObjects(const QList<Dispatch *> &objects) = 0;
    // Refreshes the page from the objects.
    virtual void activate() = 0;
    // Sends the changed values to every object; false when an object refused one.
    virtual bool apply() = 0;
    virtual bool isDirty() const = 0;
    virtual PageHelp help() const = 0;
    virtual void release() = 0;

protected:
    ~PropertyPage() = default;
};

class ClassFactory {
public:
    // iid: IID_OleControl or IID_PropertyPage; *out receives an OleControl*
    // or PropertyPage* (as void*). parent: the widget parent of the new object.
    virtual HResult createInstance(const Guid &iid, QWidget *parent, void **out) = 0;
    virtual HResult lockServer(bool lock) = 0;

protected:
    ~ClassFactory() = default;
};

// The exports of a server library.
extern "C" {
using DllGetClassObjectFn = HResult (*)(const Guid &clsid, const Guid &iid, void **out);
using DllCanUnloadNowFn = HResult (*)();
using DllRegisterServerFn = HResult (*)();
using DllUnregisterServerFn = HResult (*)();
// The library's type library text (JSON, see TypeLib.h).
using DllGetTypeLibTextFn = const char *(*)();
}

}  // namespace tqen::com
