#pragma once
// A server library file loaded for as long as this object lives (QLibrary
// with all symbols resolved at load). Qt shares one handle among the QLibrary
// objects of a file, and one unload() ends it for all of them; so this object
// unloads only a library that it loaded itself, and leaves one that was
// already loaded (by the host, or while a control of it runs code that reads
// its own file) as it found it.
#include <QLibrary>
#include <QString>

namespace tqen::com {

// The full path of the library (or program) file that holds an address,
// e.g. a function of the calling library; empty when it cannot be told.
QString fileHoldingAddress(const void *address);

class LoadedLibrary {
public:
    explicit LoadedLibrary(const QString &path);
    ~LoadedLibrary();
    LoadedLibrary(const LoadedLibrary &) = delete;
    LoadedLibrary &operator=(const LoadedLibrary &) = delete;

    bool isLoaded() const { return m_loaded; }
    QString errorString() const { return m_library.errorString(); }
    // An exported function, null when the library has none (or is not loaded).
    template <class Fn>
    Fn resolve(const char *symbol) {
        return m_loaded ? reinterpret_cast<Fn>(m_library.resolve(symbol)) : nullptr;
    }

private:
    QLibrary m_library;
    bool m_loaded = false;
    bool m_ownLoad = false;  // loaded here, so unloaded here
};

}  // namespace tqen::com
