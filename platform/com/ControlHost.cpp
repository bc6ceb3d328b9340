#include "platform/com/ControlHost.h"

#include "platform/com/LoadedLibrary.h"
#include "platform/com/Registry.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <map>
#include <utility>

namespace tqen::com {

namespace {

// A server library loaded by the host, and how many host objects use it.
// Destroying it unloads the library.
struct ServerLibrary {
    explicit ServerLibrary(const QString &canonicalPath) : path(canonicalPath), library(path) {}
    const QString path;
    LoadedLibrary library;
    DllGetClassObjectFn getClassObject = nullptr;
    DllCanUnloadNowFn canUnloadNow = nullptr;
    int users = 0;
};

// The loaded libraries by canonical path. Never destroyed: a library still in
// use at exit stays loaded until the process ends.
std::map<QString, std::unique_ptr<ServerLibrary>> &loaded() {
    static auto *libs = new std::map<QString, std::unique_ptr<ServerLibrary>>;
    return *libs;
}

QString canonical(const QString &path) {
    const QString c = QFileInfo(path).canonicalFilePath();
    return c.isEmpty() ? path : c;
}

void tryUnload(ServerLibrary *lib) {
    if (lib->users > 0) return;
    if (lib->canUnloadNow && lib->canUnloadNow() != S_OK) return;
    loaded().erase(lib->path);
}

// One host object's use of a server library: while it is held the library
// stays loaded; letting go of the last use unloads the library when its
// DllCanUnloadNow agrees.
class LibraryUse {
public:
    LibraryUse() = default;
    explicit LibraryUse(ServerLibrary *lib) : m_lib(lib) { ++m_lib->users; }
    LibraryUse(LibraryUse &&other) noexcept : m_lib(std::exchange(other.m_lib, nullptr)) {}
    LibraryUse &operator=(LibraryUse &&other) noexcept {
        if (this != &other) {
            reset();
            m_lib = std::exchange(other.m_lib, nullptr);
        }
        return *this;
    }
    ~LibraryUse() { reset(); }
    void reset() {
        if (ServerLibrary *lib = std::exchange(m_lib, nullptr)) {
            --lib->users;
            tryUnload(lib);
        }
    }
    ServerLibrary *get() const { return m_lib; }

private:
    ServerLibrary *m_lib = nullptr;
};

HResult acquireLibrary(const QString &path, LibraryUse *use) {
    const QString key = canonical(path);
    if (auto it = loaded().find(key); it != loaded().end()) {
        *use = LibraryUse(it->second.get());
        return S_OK;
    }
    if (!QFile::exists(key)) return CO_E_DLLNOTFOUND;
    auto lib = std::make_unique<ServerLibrary>(key);
    if (!lib->library.isLoaded()) {
        qWarning("cannot load server library %s: %s", qPrintable(key),
                 qPrintable(lib->library.errorString()));
        return CO_E_DLLNOTFOUND;
    }
    lib->getClassObject = lib->library.resolve<DllGetClassObjectFn>("DllGetClassObject");
    lib->canUnloadNow = lib->library.resolve<DllCanUnloadNowFn>("DllCanUnloadNow");
    if (!lib->getClassObject) return CO_E_ERRORINDLL;
    *use = LibraryUse(lib.get());
    loaded().emplace(key, std::move(lib));
    return S_OK;
}

// Creates an object of a registered class through its server's factory; *use
// keeps the server loaded for it.
HResult createObject(const Guid &clsid, const Guid &iid, QWidget *parent, void **out,
                     LibraryUse *use) {
    *out = nullptr;
    const auto entry = Registry::findClass(clsid);
    if (!entry || entry->server.isEmpty()) return REGDB_E_CLASSNOTREG;
    LibraryUse lib;
    HResult hr = acquireLibrary(entry->server, &lib);
    if (failed(hr)) return hr;
    void *factory = nullptr;
    hr = lib.get()->getClassObject(clsid, IID_IClassFactory, &factory);
    if (failed(hr) || !factory) return failed(hr) ? hr : CLASS_E_CLASSNOTAVAILABLE;
    hr = static_cast<ClassFactory *>(factory)->createInstance(iid, parent, out);
    if (failed(hr) || !*out) {
        *out = nullptr;
        return failed(hr) ? hr : E_FAIL;
    }
    *use = std::move(lib);
    return S_OK;
}

}  // namespace

// ---- hosted control ----

// Owns the control while its widget lives, and the library under it; the
// library is let go of after the control (members are destroyed in reverse).
struct HostedControl::State {
    LibraryUse lib;
    OleControl *control = nullptr;
    QPointer<QWidget> widget;
    ~State() {
        if (widget) {
            control->advise({});
            control->release();
        }
    }
};

HostedControl::HostedControl() = default;
HostedControl::HostedControl(HostedControl &&other) noexcept = default;
HostedControl &HostedControl::operator=(HostedControl &&other) noexcept = default;
HostedControl::~HostedControl() = default;

HostedControl HostedControl::create(const Guid &clsid, QWidget *parent, HResult *hr) {
    HostedControl hc;
    void *obj = nullptr;
    LibraryUse lib;
    const HResult r = createObject(clsid, IID_OleControl, parent, &obj, &lib);
    if (hr) *hr = r;
    if (failed(r)) return hc;
    hc.d = std::make_unique<State>();
    hc.d->lib = std::move(lib);
    hc.d->control = static_cast<OleControl *>(obj);
    hc.d->widget = hc.d->control->widget();
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

void HostedControl::onEvent(EventHandler handler) {
    if (OleControl *c = control()) c->advise(std::move(handler));
}

void HostedControl::release() { d.reset(); }

// ---- registration and libraries ----

HResult registerServer(const QString &libraryPath, bool unregister) {
    const QString path = QFileInfo(libraryPath).absoluteFilePath();
    if (!QFile::exists(path)) return CO_E_DLLNOTFOUND;
    LoadedLibrary lib(path);
    if (!lib.isLoaded()) {
        qWarning("cannot load %s: %s", qPrintable(path), qPrintable(lib.errorString()));
        return CO_E_DLLNOTFOUND;
    }
    auto fn = lib.resolve<DllRegisterServerFn>(unregister ? "DllUnregisterServer" : "DllRegisterServer");
    return fn ? fn() : CO_E_ERRORINDLL;
}

HResult ensureRegistered(const Guid &clsid, const QString &libraryPath) {
    const auto entry = Registry::findClass(clsid);
    if (entry && QFile::exists(entry->server)) return S_OK;
    return registerServer(libraryPath);
}

bool isServerLoaded(const QString &libraryPath) {
    return loaded().count(canonical(libraryPath)) != 0;
}

QString captionLibraryPath() {
    const QString dir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath()
                                                     : QString(".");
    // Beside the program (its build folder), then where an install puts it
    // (<prefix>/lib/<multiarch>/tqen, or <prefix>/lib/tqen of an older
    // install, beside <prefix>/bin), then the build tree's own copy for
    // programs that run elsewhere.
    const QString beside = dir + "/libMDCAPT32.so";
    if (QFile::exists(beside)) return beside;
    for (const QString &folder : {QStringLiteral(TQEN_PRIVATE_LIBDIR), QStringLiteral("lib/tqen")}) {
        const QString installed = QDir::cleanPath(dir + "/../" + folder + "/libMDCAPT32.so");
        if (QFile::exists(installed)) return installed;
    }
#ifdef TQEN_MDCAPT32_BUILD_PATH
    if (QFile::exists(QStringLiteral(TQEN_MDCAPT32_BUILD_PATH)))
        return QStringLiteral(TQEN_MDCAPT32_BUILD_PATH);
#endif
    return beside;
}

// ---- property sheet ----

namespace {

void openHelpTopic(const QString &file, quint32 context) {
    QUrl url = QUrl::fromLocalFile(file);
    if (context != 0) url.setFragment(QString::number(context));
    QDesktopServices::openUrl(url);
}

PropertyFrame::HelpViewer &helpViewer() {
    static PropertyFrame::HelpViewer viewer;
    return viewer;
}

}  // namespace

// One page of the sheet: the page object, released before the library under
// it is let go of.
struct PropertyFrame::Page {
    struct Releaser {
        void operator()(PropertyPage *p) const { p->release(); }
    };
    LibraryUse lib;
    std::unique_ptr<PropertyPage, Releaser> page;
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
            LibraryUse lib;
            if (failed(createObject(clsid, IID_PropertyPage, m_tabs, &obj, &lib))) continue;
            auto p = std::make_unique<Page>();
            p->lib = std::move(lib);
            p->page.reset(static_cast<PropertyPage *>(obj));
            p->page->setObjects({control});
            p->page->activate();
            const int tab = m_tabs->addTab(p->page->widget(), p->page->title());
            m_tabs->setTabToolTip(tab, p->page->help().text);
            m_pages.push_back(std::move(p));
        }
    }
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
                                             QDialogButtonBox::Apply | QDialogButtonBox::Help,
                                         this);
    buttons->button(QDialogButtonBox::Cancel)->setText("キャンセル");
    buttons->button(QDialogButtonBox::Apply)->setText("適用(&A)");
    m_help = buttons->button(QDialogButtonBox::Help);
    m_help->setText("ヘルプ(&H)");
    m_help->setObjectName("helpButton");
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (applyAll()) accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, &PropertyFrame::showHelp);
    connect(buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, this,
            [this] { applyAll(); });
    connect(m_tabs, &QTabWidget::currentChanged, this, &PropertyFrame::currentPageChanged);
    currentPageChanged(m_tabs->currentIndex());
}

PropertyFrame::~PropertyFrame() {
    // Pages go first, while the tabs still exist; the tabs must not report
    // the changes of a sheet being taken down.
    m_tabs->disconnect(this);
    m_pages.clear();
}

int PropertyFrame::pageCount() const { return int(m_pages.size()); }

PropertyPage *PropertyFrame::page(int index) const {
    if (index < 0 || index >= pageCount()) return nullptr;
    return m_pages[size_t(index)]->page.get();
}

bool PropertyFrame::applyAll() {
    bool ok = true;
    for (const auto &p : m_pages)
        if (p->page->isDirty()) ok = p->page->apply() && ok;
    return ok;
}

void PropertyFrame::currentPageChanged(int index) {
    const PropertyPage *p = page(index);
    const PageHelp help = p ? p->help() : PageHelp{};
    m_help->setToolTip(help.text);
    m_help->setStatusTip(help.text);
    m_help->setAccessibleDescription(help.text);
    m_help->setEnabled(!help.file.isEmpty());
}

void PropertyFrame::showHelp() {
    const PropertyPage *p = page(m_tabs->currentIndex());
    if (!p) return;
    const PageHelp help = p->help();
    if (help.file.isEmpty()) return;
    if (helpViewer()) helpViewer()(help.file, help.context);
    else openHelpTopic(help.file, help.context);
}

void PropertyFrame::setHelpViewer(HelpViewer viewer) { helpViewer() = std::move(viewer); }

}  // namespace tqen::com
