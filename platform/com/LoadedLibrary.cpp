#include "platform/com/LoadedLibrary.h"

#include <QFileInfo>

#include <dlfcn.h>

namespace tqen::com {

QString fileHoldingAddress(const void *address) {
    Dl_info info{};
    if (address && dladdr(address, &info) && info.dli_fname)
        return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absoluteFilePath();
    return {};
}


LoadedLibrary::LoadedLibrary(const QString &path) : m_library(path) {
    m_ownLoad = !m_library.isLoaded();
    m_library.setLoadHints(QLibrary::ResolveAllSymbolsHint);
    m_loaded = m_library.load();
    m_ownLoad = m_ownLoad && m_loaded;
}

LoadedLibrary::~LoadedLibrary() {
    if (m_ownLoad) m_library.unload();
}

}  // namespace tqen::com
