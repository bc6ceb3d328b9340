#include "platform/com/LoadedLibrary.h"

namespace tqen::com {

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
