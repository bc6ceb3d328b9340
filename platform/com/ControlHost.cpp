#include "platform/com/ControlHost.h"

#include "platform/com/Registry.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <dlfcn.h>

namespace tqen::com {

namespace {

// A loaded server library and how many host objects use it.
struct ServerLibrary {
    QString path;
    void *handle = nullptr;
    int users = 0;
    DllGetClassObjectFn getClassObject = nullptr;
    DllCanUnloadNowFn canUnloadNow = nullptr;
};

QHash<QString, ServerLibrary *> &libraries() {
    static QHash<QString, ServerLibrary *> libs;
    return libs;
}

QString canonical(const QString &path) {
    const QString c = QFileInfo(path).canonicalFilePath();
    return c.isEmpty() ? path : c;
}

ServerLibrary *acquireLibrary(const QString &path, HResult *hr) {
    const QString key = canonical(path);
    if (ServerLibrary *lib = libraries().value(key)) {
        ++lib->users;
        return lib;
    }
    if (!QFile::exists(key)) {
        *hr = CO_E_DLLNOTFOUND;
        return nullptr;
    }
    void *handle = dlopen(QFile::encodeName(key).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        qWarning("cannot load server library %s: %s", qPrintable(key), dlerror());
        *hr = CO_E_DLLNOTFOUND;
        return nullptr;
    }
    auto *lib = new ServerLibrary;
    lib->path = key;
    lib->handle = handle;
    lib->getClassObject = reinterpret_cast<DllGetClassObjectFn>(dlsym(handle, "DllGetClassObject"));
    lib->canUnloadNow = reinterpret_cast<DllCanUnloadNowFn>(dlsym(handle, "DllCanUnloadNow"));
    if (!lib->getClassObject) {
        dlclose(handle);
        delete lib;
        *hr = CO_E_ERRORINDLL;
        return nullptr;
    }
    lib->users = 1;
    libraries().insert(key, lib);
    return lib;
}

void tryUnload(ServerLibrary *lib) {
    if (lib->users > 0) return;
    if (lib->canUnloadNow && lib->canUnloadNow() != S_OK) return;
    libraries().remove(lib->path);
    dlclose(lib->handle);
    delete lib;
}

void releaseLibrary(ServerLibrary *lib) {
    if (!lib) return;
    --lib->users;
    tryUnload(lib);
}

// Creates an object of a registered class through its server's factory.
HResult createObject(const Guid &clsid, const Guid &iid, QWidget *parent, void **out,
                     ServerLibrary **libOut) {
    *out = nullptr;
    *libOut = nullptr;
    const auto entry = Registry::findClass(clsid);
    if (!entry || entry->server.isEmpty()) return REGDB_E_CLASSNOTREG;
    HResult hr = S_OK;
    ServerLibrary *lib = acquireLibrary(entry->server, &hr);
    if (!lib) return hr;
    void *factoryPtr = nullptr;
    hr = lib->getClassObject(clsid, IID_IClassFactory, &factoryPtr);
    if (failed(hr) || !factoryPtr) {
        releaseLibrary(lib);
        return failed(hr) ? hr : CLASS_E_CLASSNOTAVAILABLE;
    }
    hr = static_cast<ClassFactory *>(factoryPtr)->createInstance(iid, parent, out);
    if (failed(hr) || !*out) {
        *out = nullptr;
        releaseLibrary(lib);
        return failed(hr) ? hr : E_FAIL;
    }
    *libOut = lib;
    return S_OK;
}

class SinkAdapter final : public EventSink {
public:
    EventHandler handler;
    void fire(int dispid, const QString &name, const QVariantList &args) override {
        if (handler) handler(dispid, name, args);
    }
};

}  // namespace

struct HostedControl::State {
    OleControl *control = nullptr;
    QPointer<QWidget> widget;
    ServerLibrary *lib = nullptr;
    SinkAdapter sink;
};

HostedControl::HostedControl() = default;
HostedControl::HostedControl(HostedControl &&other) noexcept = default;
HostedControl &HostedControl::operator=(HostedControl &&other) noexcept {
    if (this != &other) {
        release();
        d = std::move(other.d);
    }
    return *this;
}
HostedControl::~HostedControl() { release(); }

HostedControl HostedControl::create(const Guid &clsid, QWidget *parent, HResult *hr) {
    HostedControl hc;
    void *obj = nullptr;
    ServerLibrary *lib = nullptr;
    const HResult r = createObject(clsid, IID_OleControl, parent, &obj, &lib);
    if (hr) *hr = r;
    if (failed(r)) return hc;
    hc.d = std::make_unique<State>();
    hc.d->control = static_cast<OleControl *>(obj);
    hc.d->widget = hc.d->control->widget();
    hc.d->lib = lib;
    hc.d->control->advise(&hc.d->sink);
    return hc;
}

HostedControl HostedControl::create(const QString &progIdOrClsid, QWidget *parent, HResult *hr) {
    Guid clsid = Guid::fromString(progIdOrClsid);
    if (clsid.isNull()) {
        const auto found = Registry::clsidFromProgId(progIdOrClsid);
        if (!found) {
            if (hr) *hr = REGDB_E_CLASSNOTREG;
            return {};
        }
        clsid = *found;
    }
    return create(clsid, parent, hr);
}

bool HostedControl::isNull() const { return !d || !d->widget; }
QWidget *HostedControl::widget() const { return d ? d->widget.data() : nullptr; }
Dispatch *HostedControl::dispatch() const { return control(); }
OleControl *HostedControl::control() const { return d && d->widget ? d->control : nullptr; }
QString HostedControl::serverPath() const { return d && d->lib ? d->lib->path : QString(); }

void HostedControl::onEvent(EventHandler handler) {
    if (d) d->sink.handler = std::move(handler);
}

void HostedControl::release() {
    if (!d) return;
    if (d->widget) {
        d->control->advise(nullptr);
        d->control->release();
    }
    ServerLibrary *lib = d->lib;
    d.reset();
    releaseLibrary(lib);
}

HResult registerServer(const QString &libraryPath, bool unregister) {
    const QString path = QFileInfo(libraryPath).absoluteFilePath();
    if (!QFile::exists(path)) return CO_E_DLLNOTFOUND;
    void *handle = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        qWarning("cannot load %s: %s", qPrintable(path), dlerror());
        return CO_E_DLLNOTFOUND;
    }
    auto fn = reinterpret_cast<DllRegisterServerFn>(
        dlsym(handle, unregister ? "DllUnregisterServer" : "DllRegisterServer"));
    const HResult hr = fn ? fn() : CO_E_ERRORINDLL;
    dlclose(handle);
    return hr;
}

HResult ensureRegistered(const Guid &clsid, const QString &libraryPath) {
    const auto entry = Registry::findClass(clsid);
    if (entry && QFile::exists(entry->server)) return S_OK;
    return registerServer(libraryPath);
}

bool isServerLoaded(const QString &libraryPath) {
    return libraries().contains(canonical(libraryPath));
}

void freeUnusedLibraries() {
    const auto libs = libraries().values();
    for (ServerLibrary *lib : libs) tryUnload(lib);
}

QString captionLibraryPath() {
#ifdef TQEN_MDCAPT32_BUILD_PATH
    if (QFile::exists(QStringLiteral(TQEN_MDCAPT32_BUILD_PATH)))
        return QStringLiteral(TQEN_MDCAPT32_BUILD_PATH);
#endif
    const QString dir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath()
                                                     : QString(".");
    return dir + "/libMDCAPT32.so";
}

// ---- property sheet ----

struct PropertyFrame::Page {
    PropertyPage *page = nullptr;
    ServerLibrary *lib = nullptr;
};

PropertyFrame::PropertyFrame(OleControl *control, QWidget *parent) : QDialog(parent) {
    setWindowTitle(control && !control->ambient().displayName.isEmpty()
                       ? control->ambient().displayName + " プロパティ"
                       : QStringLiteral("プロパティ"));
    auto *layout = new QVBoxLayout(this);
    m_tabs = new QTabWidget(this);
    layout->addWidget(m_tabs);
    if (control) {
        for (const Guid &clsid : control->propertyPages()) {
            void *obj = nullptr;
            ServerLibrary *lib = nullptr;
            if (failed(createObject(clsid, IID_PropertyPage, m_tabs, &obj, &lib))) continue;
            auto *p = new Page{static_cast<PropertyPage *>(obj), lib};
            p->page->setObjects({control});
            p->page->activate();
            m_tabs->addTab(p->page->widget(), p->page->title());
            m_pages.append(p);
        }
    }
    auto *buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
    buttons->button(QDialogButtonBox::Cancel)->setText("キャンセル");
    buttons->button(QDialogButtonBox::Apply)->setText("適用(&A)");
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (applyAll()) accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, this,
            [this] { applyAll(); });
}

PropertyFrame::~PropertyFrame() {
    for (Page *p : m_pages) {
        m_tabs->removeTab(m_tabs->indexOf(p->page->widget()));
        p->page->release();
        releaseLibrary(p->lib);
        delete p;
    }
}

int PropertyFrame::pageCount() const { return int(m_pages.size()); }
PropertyPage *PropertyFrame::page(int index) const { return m_pages.value(index)->page; }

bool PropertyFrame::applyAll() {
    bool ok = true;
    for (Page *p : m_pages)
        if (p->page->isDirty()) ok = p->page->apply() && ok;
    return ok;
}

}  // namespace tqen::com
