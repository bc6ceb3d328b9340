// tqen-regsvr: registers or unregisters a control server library in the
// component registry, as regsvr does.
//
//   tqen-regsvr [-u] [-s] library.so
//     -u  unregister
//     -s  silent: no message, only the exit status
#include "platform/com/ControlHost.h"
#include "platform/com/Registry.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

using namespace tqen::com;

static QString describe(HResult hr) {
    switch (hr) {
    case CO_E_DLLNOTFOUND: return "the library cannot be loaded";
    case CO_E_ERRORINDLL: return "the library has no registration entry point";
    case SELFREG_E_TYPELIB: return "type library registration failed";
    case SELFREG_E_CLASS: return "class registration failed";
    default: return "the server reported a failure";
    }
}

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    bool unregister = false, silent = false;
    QString library;
    const QStringList args = app.arguments().mid(1);
    for (const QString &a : args) {
        if (a == "-u" || a == "/u") unregister = true;
        else if (a == "-s" || a == "/s") silent = true;
        else if (library.isEmpty()) library = a;
        else {
            std::fprintf(stderr, "usage: tqen-regsvr [-u] [-s] library.so\n");
            return 2;
        }
    }
    if (library.isEmpty()) {
        std::fprintf(stderr, "usage: tqen-regsvr [-u] [-s] library.so\n");
        return 2;
    }
    const HResult hr = registerServer(library, unregister);
    const char *what = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    if (failed(hr)) {
        if (!silent)
            std::fprintf(stderr, "%s in %s failed: 0x%08X (%s)\n", what, qPrintable(library),
                         uint(hr), qPrintable(describe(hr)));
        return 1;
    }
    if (!silent)
        std::printf("%s in %s succeeded (registry %s).\n", what, qPrintable(library),
                    qPrintable(Registry::filePath()));
    return 0;
}
