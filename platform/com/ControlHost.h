#pragma once
// The host side of controls: create a control by its class identifier (the
// registry names the server library, which is loaded with QLibrary on first
// use), talk to it through its dispatch interface, receive its events, and
// release it. A server library stays loaded while objects it created live,
// and is unloaded when the last one is released and its DllCanUnloadNow
// agrees.
//
//   using namespace tqen::com;
//   HResult hr;
//   HostedControl cell = HostedControl::create(CLSID_MDCaption, form, &hr);
//   cell.control()->setAmbient({ContainerUnits::Twips, true, false, "LblCald"});
//   cell.control()->load(bagOfTheFormLayout);
//   cell.onEvent([](int dispid, const QString &name, const QVariantList &args) { … });
//   cell.dispatch()->put(-518, "12");            // Caption
//   cell.widget()->setGeometry(…);
//   cell.release();                              // or let it go out of scope
#include "platform/com/Control.h"
#include "platform/com/HResult.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QPushButton;
class QTabWidget;

namespace tqen::com {

class HostedControl {
public:
    HostedControl();
    HostedControl(HostedControl &&other) noexcept;
    HostedControl &operator=(HostedControl &&other) noexcept;
    HostedControl(const HostedControl &) = delete;
    HostedControl &operator=(const HostedControl &) = delete;
    ~HostedControl();

    // Creates the control of that class as a child of parent. On failure the
    // result is null and *hr says why (REGDB_E_CLASSNOTREG, CO_E_DLLNOTFOUND,
    // CO_E_ERRORINDLL, CLASS_E_CLASSNOTAVAILABLE, …).
    static HostedControl create(const Guid &clsid, QWidget *parent, HResult *hr = nullptr);
    // The same by ProgID ("MDCAPT.MDCaptCtrl.1") or CLSID text.
    static HostedControl create(const QString &progIdOrClsid, QWidget *parent,
                                HResult *hr = nullptr);

    bool isNull() const;
    // null once the control was released (or its widget deleted with its parent).
    QWidget *widget() const;
    Dispatch *dispatch() const;
    OleControl *control() const;

    // The control's events go to handler (replacing an earlier one).
    void onEvent(EventHandler handler);

    // Destroys the control (never from inside one of its own event handlers)
    // and lets go of the server library.
    void release();

private:
    struct State;
    std::unique_ptr<State> d;
};

// Calls DllRegisterServer (or DllUnregisterServer) of a server library file.
// CO_E_DLLNOTFOUND when it cannot be loaded, CO_E_ERRORINDLL when the entry
// point is missing; else the server's own result.
HResult registerServer(const QString &libraryPath, bool unregister = false);

// Registers the library when the class is not registered, or registered to a
// server file that no longer exists.
HResult ensureRegistered(const Guid &clsid, const QString &libraryPath);

// Whether a server library is loaded by the host now (for diagnostics and tests).
bool isServerLoaded(const QString &libraryPath);

// Where the caption-control library lies: "libMDCAPT32.so" beside the running
// program, else in <prefix>/lib/<multiarch>/tqen (or lib/tqen) of an
// installed program, else the build
// tree's file; the path beside the program when none exists.
QString captionLibraryPath();

// The property sheet of a control: every page of the control that the
// registry knows, each on its own tab, with OK, Cancel, Apply and Help. The
// help button describes the current page and asks for its help topic.
class PropertyFrame : public QDialog {
    Q_OBJECT
public:
    PropertyFrame(OleControl *control, QWidget *parent = nullptr);
    ~PropertyFrame() override;
    int pageCount() const;
    // The page at index, or null when there is none.
    PropertyPage *page(int index) const;
    bool applyAll();
    // Shows the help topic of the current page.
    void showHelp();

    // What shows a help topic: the help file and the topic's context number.
    // The default opens the file in the desktop's viewer at the anchor named
    // by the number; an empty function restores it.
    using HelpViewer = std::function<void(const QString &file, quint32 context)>;
    static void setHelpViewer(HelpViewer viewer);

private:
    void currentPageChanged(int index);
    struct Page;
    std::vector<std::unique_ptr<Page>> m_pages;
    QTabWidget *m_tabs = nullptr;
    QPushButton *m_help = nullptr;
};

}  // namespace tqen::com
