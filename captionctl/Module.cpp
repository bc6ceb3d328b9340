#include "captionctl/Module.h"

#include "platform/com/LoadedLibrary.h"

#include "captionctl/StringTable.h"
#include "platform/com/Registry.h"

#include <QDir>
#include <QFileInfo>

#include <atomic>

namespace tqen::captionctl {

DefaultsProfile::DefaultsProfile(const QString &fileName, const QString &section)
    : m_fileName(fileName), m_section(section) {}

profile::PrivateProfile DefaultsProfile::file() const { return profile::PrivateProfile(m_fileName); }
QString DefaultsProfile::filePath() const { return file().filePath(); }

int DefaultsProfile::readInt(int keyId, int def) const {
    const QString key = loadString(keyId);
    if (key.isEmpty()) return def;
    return file().readInt(m_section, key, def);
}

float DefaultsProfile::readFloat(int keyId, float def) const {
    const QString key = loadString(keyId);
    if (key.isEmpty()) return def;
    const profile::PrivateProfile f = file();
    if (!f.contains(m_section, key)) return def;
    const QString text = f.readString(m_section, key, QString(), 16).trimmed();
    // Leading decimal number; text that is no number reads as 0, as atof does.
    int end = 0;
    while (end < text.size() && (text[end].isDigit() || text[end] == '.' || text[end] == '-' ||
                                 text[end] == '+' || text[end] == 'e' || text[end] == 'E'))
        ++end;
    bool ok = false;
    const double v = text.left(end).toDouble(&ok);
    return ok ? float(v) : 0.0f;
}

long long DefaultsProfile::readLong(int keyId, long long def) const {
    const QString key = loadString(keyId);
    if (key.isEmpty()) return def;
    const profile::PrivateProfile f = file();
    if (!f.contains(m_section, key)) return def;
    const QString text = f.readString(m_section, key, QString(), 19).trimmed();
    int end = 0;
    if (end < text.size() && (text[end] == '-' || text[end] == '+')) ++end;
    while (end < text.size() && text[end].isDigit()) ++end;
    bool ok = false;
    const long long v = text.left(end).toLongLong(&ok);
    return ok ? v : 0;
}

QString DefaultsProfile::readString(int keyId, const QString &def) const {
    const QString key = loadString(keyId);
    if (key.isEmpty()) return def;
    return file().readString(m_section, key, def, 255);
}

bool DefaultsProfile::writeInt(int keyId, long long value) {
    const QString key = loadString(keyId);
    if (key.isEmpty()) return false;
    profile::PrivateProfile f = file();
    return f.writeString(m_section, key, QString::number(value));
}

bool DefaultsProfile::writeFloat(int keyId, double value) {
    const QString key = loadString(keyId);
    if (key.isEmpty()) return false;
    profile::PrivateProfile f = file();
    return f.writeString(m_section, key, QString::number(value, 'g', 7));
}

bool DefaultsProfile::writeString(int keyId, const QString &value) {
    const QString key = loadString(keyId);
    if (key.isEmpty()) return false;
    profile::PrivateProfile f = file();
    return f.writeString(m_section, key, value);
}

bool DefaultsProfile::deleteSection() {
    profile::PrivateProfile f = file();
    return f.deleteSection(m_section);
}

// ---- module ----

namespace {
std::atomic<int> g_objects{0};
std::atomic<int> g_locks{0};
}  // namespace

QString Module::moduleFilePath() {
    return com::fileHoldingAddress(reinterpret_cast<const void *>(&Module::moduleFilePath));
}

QString Module::helpDirectory() {
    const QString fromRegistry = com::Registry::value(kHelpDirKey);
    if (!fromRegistry.isEmpty()) return fromRegistry;
    return QFileInfo(moduleFilePath()).absolutePath();
}

Module::Module() {
    m_helpFile = QDir::cleanPath(helpDirectory() + '/' + kHelpFileName);
    const QString file = loadString(IDS_PROFILE_FILE);
    const QString section = loadString(IDS_PROFILE_SECTION);
    if (!file.isEmpty() && !section.isEmpty())
        m_profile = std::make_unique<DefaultsProfile>(file, section);
}

Module::~Module() = default;

Module &Module::instance() {
    static Module module;
    return module;
}

void Module::objectCreated() { ++g_objects; }
void Module::objectDestroyed() { --g_objects; }
int Module::liveObjects() { return g_objects; }
void Module::lock(bool on) { on ? ++g_locks : --g_locks; }
bool Module::canUnloadNow() { return g_objects == 0 && g_locks <= 0; }

}  // namespace tqen::captionctl
