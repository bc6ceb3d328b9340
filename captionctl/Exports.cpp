// The server's exported entry points and its two class factories.
#include "captionctl/CMDCaptCtrl.h"
#include "captionctl/CMDCaptPropPage.h"
#include "captionctl/MDCaptIds.h"
#include "captionctl/MDCaptTypeLib.h"
#include "captionctl/Module.h"
#include "captionctl/StringTable.h"
#include "platform/com/Registry.h"

#define MDCAPT_EXPORT extern "C" __attribute__((visibility("default")))

namespace tqen::captionctl {
namespace {

// Miscellaneous status of the control class: recompose on resize, can't link
// inside, inside-out, activate when visible, acts like a label, simple frame,
// set client site first.
constexpr quint32 kMiscStatus = 0x32191;

class ControlFactory final : public com::ClassFactory {
public:
    com::HResult createInstance(const com::Guid &iid, QWidget *parent, void **out) override {
        if (!out) return com::E_POINTER;
        *out = nullptr;
        if (iid != com::IID_OleControl) return com::E_NOINTERFACE;
        *out = static_cast<com::OleControl *>(new CMDCaptCtrl(parent));
        return com::S_OK;
    }
    com::HResult lockServer(bool lock) override {
        Module::lock(lock);
        return com::S_OK;
    }
    bool updateRegistry(bool reg) {
        if (!reg) return com::Registry::unregisterClass(CLSID_MDCaption);
        com::ClassEntry e;
        e.clsid = CLSID_MDCaption;
        e.progId = QString::fromLatin1(kControlProgId);
        e.typeName = loadString(IDS_CONTROL_TYPENAME);
        e.server = Module::moduleFilePath();
        e.kind = com::ClassEntry::Control;
        e.typeLib = LIBID_MDCaptLib;
        e.typeLibMajor = kLibMajor;
        e.typeLibMinor = kLibMinor;
        e.miscStatus = kMiscStatus;
        e.toolboxBitmap = 1;
        e.insertable = false;
        return com::Registry::registerClass(e);
    }
};

class PageFactory final : public com::ClassFactory {
public:
    com::HResult createInstance(const com::Guid &iid, QWidget *parent, void **out) override {
        if (!out) return com::E_POINTER;
        *out = nullptr;
        if (iid != com::IID_PropertyPage) return com::E_NOINTERFACE;
        *out = static_cast<com::PropertyPage *>(new CMDCaptPropPage(parent));
        return com::S_OK;
    }
    com::HResult lockServer(bool lock) override {
        Module::lock(lock);
        return com::S_OK;
    }
    bool updateRegistry(bool reg) {
        if (!reg) return com::Registry::unregisterClass(CLSID_MDCaptPropPage);
        com::ClassEntry e;
        e.clsid = CLSID_MDCaptPropPage;
        e.progId = QString::fromLatin1(kPageProgId);
        e.typeName = loadString(IDS_PAGE_TYPENAME);
        e.server = Module::moduleFilePath();
        e.kind = com::ClassEntry::PropertyPage;
        return com::Registry::registerClass(e);
    }
};

ControlFactory g_controlFactory;
PageFactory g_pageFactory;

bool updateRegistryAll(bool reg) {
    return g_controlFactory.updateRegistry(reg) && g_pageFactory.updateRegistry(reg);
}

}  // namespace
}  // namespace tqen::captionctl

using namespace tqen;
using namespace tqen::captionctl;

MDCAPT_EXPORT com::HResult DllGetClassObject(const com::Guid &clsid, const com::Guid &iid, void **out) {
    if (!out) return com::E_POINTER;
    *out = nullptr;
    Module::instance();  // module start
    if (iid != com::IID_IClassFactory) return com::E_NOINTERFACE;
    if (clsid == CLSID_MDCaption) *out = static_cast<com::ClassFactory *>(&g_controlFactory);
    else if (clsid == CLSID_MDCaptPropPage) *out = static_cast<com::ClassFactory *>(&g_pageFactory);
    else return com::CLASS_E_CLASSNOTAVAILABLE;
    return com::S_OK;
}

MDCAPT_EXPORT com::HResult DllCanUnloadNow() {
    return Module::canUnloadNow() ? com::S_OK : com::S_FALSE;
}

MDCAPT_EXPORT com::HResult DllRegisterServer() {
    com::TypeLibEntry lib;
    lib.libid = LIBID_MDCaptLib;
    lib.major = kLibMajor;
    lib.minor = kLibMinor;
    lib.lcid = kLibLcid;
    lib.name = QStringLiteral("MDCaptLib");
    lib.path = Module::moduleFilePath();
    lib.helpDir = Module::helpDirectory();
    if (!com::Registry::registerTypeLib(lib)) return com::SELFREG_E_TYPELIB;
    if (!updateRegistryAll(true)) return com::SELFREG_E_CLASS;
    return com::S_OK;
}

MDCAPT_EXPORT com::HResult DllUnregisterServer() {
    if (!com::Registry::unregisterTypeLib(LIBID_MDCaptLib, kLibMajor, kLibMinor))
        return com::SELFREG_E_TYPELIB;
    if (!updateRegistryAll(false)) return com::SELFREG_E_CLASS;
    return com::S_OK;
}

MDCAPT_EXPORT const char *DllGetTypeLibText() { return mdcaptTypeLibraryText(); }
