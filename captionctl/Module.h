#pragma once
// The library's module: where its help file lies, its defaults profile, and
// the count of live objects and server locks that DllCanUnloadNow answers by.
#include "platform/profile/PrivateProfile.h"

#include <QString>

#include <memory>

namespace tqen::captionctl {

// The defaults profile "HX4WIN.INI", section "mdcapt", with the key names of
// the string table. A key whose name is not in the string table reads as the
// default and is skipped on writes.
class DefaultsProfile {
public:
    DefaultsProfile(const QString &fileName, const QString &section);
    int readInt(int keyId, int def) const;
    float readFloat(int keyId, float def) const;
    long long readLong(int keyId, long long def) const;
    QString readString(int keyId, const QString &def) const;
    bool writeInt(int keyId, long long value);
    bool writeFloat(int keyId, double value);  // 7 significant digits
    bool writeString(int keyId, const QString &value);
    bool deleteSection();
    QString filePath() const;

private:
    profile::PrivateProfile file() const;
    QString m_fileName;
    QString m_section;
};

// Registry value naming the folder of the help file.
inline const QString kHelpDirKey = QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\MDCAPT\\HelpDir");
inline const QString kHelpFileName = QStringLiteral("MDCAPT.html");

class Module {
public:
    // The module, started on first use.
    static Module &instance();
    ~Module();

    QString helpFile() const { return m_helpFile; }
    // null when the module start could not create it.
    DefaultsProfile *profile() const { return m_profile.get(); }

    // Full path of the library file that holds this code.
    static QString moduleFilePath();
    // The help folder: the registry value, else the library's own folder.
    static QString helpDirectory();

    static void objectCreated();
    static void objectDestroyed();
    static int liveObjects();
    static void lock(bool on);
    static bool canUnloadNow();

private:
    Module();
    QString m_helpFile;
    std::unique_ptr<DefaultsProfile> m_profile;
};

}  // namespace tqen::captionctl
