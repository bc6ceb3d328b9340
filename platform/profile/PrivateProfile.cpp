#include "platform/profile/PrivateProfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace tqen::profile {

QString profileFolder() {
    const QByteArray env = qgetenv("TQEN_PROFILE_DIR");
    if (!env.isEmpty()) return QString::fromLocal8Bit(env);
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/tqen";
}

PrivateProfile::PrivateProfile(const QString &fileName) {
    if (fileName.contains('/'))
        m_path = fileName;
    else
        m_path = profileFolder() + '/' + fileName;
}

namespace {

// "[name]" → name; empty optional otherwise.
bool sectionHeader(const QString &line, QString *name) {
    const QString t = line.trimmed();
    if (!t.startsWith('[')) return false;
    const int close = t.indexOf(']');
    if (close < 0) return false;
    *name = t.mid(1, close - 1).trimmed();
    return true;
}

bool keyLine(const QString &line, QString *key, QString *value) {
    const QString t = line.trimmed();
    if (t.isEmpty() || t.startsWith(';')) return false;
    const int eq = t.indexOf('=');
    if (eq <= 0) return false;
    *key = t.left(eq).trimmed();
    if (value) *value = t.mid(eq + 1).trimmed();
    return true;
}

bool sameName(const QString &a, const QString &b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString unquote(QString v) {
    if (v.size() >= 2 && ((v.startsWith('"') && v.endsWith('"')) ||
                          (v.startsWith('\'') && v.endsWith('\''))))
        v = v.mid(1, v.size() - 2);
    return v;
}

// Section bounds [begin, end) of the lines after the header; begin = -1 when absent.
void findSection(const QStringList &lines, const QString &section, int *header, int *end) {
    *header = -1;
    *end = lines.size();
    QString name;
    for (int i = 0; i < lines.size(); ++i) {
        if (!sectionHeader(lines[i], &name)) continue;
        if (*header >= 0) { *end = i; return; }
        if (sameName(name, section)) *header = i;
    }
}

}  // namespace

QStringList PrivateProfile::readLines(bool *ok) const {
    QFile f(m_path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (ok) *ok = !f.exists();
        return {};
    }
    if (ok) *ok = true;
    QString text = QString::fromUtf8(f.readAll());
    text.replace("\r\n", "\n");
    QStringList lines = text.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

bool PrivateProfile::writeLines(const QStringList &lines) {
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSaveFile f(m_path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    QByteArray out;
    for (const QString &l : lines) out += l.toUtf8() + "\n";
    if (f.write(out) != out.size()) return false;
    return f.commit();
}

static bool lookup(const QStringList &lines, const QString &section, const QString &key,
                   QString *value) {
    int header, end;
    findSection(lines, section, &header, &end);
    if (header < 0) return false;
    QString k, v;
    for (int i = header + 1; i < end; ++i) {
        if (keyLine(lines[i], &k, &v) && sameName(k, key)) {
            *value = unquote(v);
            return true;
        }
    }
    return false;
}

bool PrivateProfile::contains(const QString &section, const QString &key) const {
    QString v;
    return lookup(readLines(), section, key, &v);
}

QStringList PrivateProfile::keys(const QString &section) const {
    const QStringList lines = readLines();
    int header, end;
    findSection(lines, section, &header, &end);
    QStringList out;
    if (header < 0) return out;
    QString k;
    for (int i = header + 1; i < end; ++i)
        if (keyLine(lines[i], &k, nullptr)) out << k;
    return out;
}

int PrivateProfile::readInt(const QString &section, const QString &key, int def) const {
    QString v;
    if (!lookup(readLines(), section, key, &v)) return def;
    int i = 0;
    bool neg = false;
    if (i < v.size() && (v[i] == '-' || v[i] == '+')) neg = v[i++] == '-';
    long long n = 0;
    int digits = 0;
    while (i < v.size() && v[i].isDigit() && v[i].unicode() < 128) {
        n = n * 10 + (v[i].unicode() - '0');
        if (n > 0xFFFFFFFFLL) n = 0xFFFFFFFFLL;
        ++i;
        ++digits;
    }
    if (digits == 0) return def;
    return static_cast<int>(neg ? -n : n);
}

QString PrivateProfile::readString(const QString &section, const QString &key,
                                   const QString &def, int maxChars) const {
    QString v;
    if (!lookup(readLines(), section, key, &v)) v = def;
    return v.left(maxChars);
}

bool PrivateProfile::writeString(const QString &section, const QString &key,
                                 const QString &value) {
    bool ok = false;
    QStringList lines = readLines(&ok);
    if (!ok) return false;
    int header, end;
    findSection(lines, section, &header, &end);
    const QString entry = key + '=' + value;
    if (header < 0) {
        if (!lines.isEmpty() && !lines.last().trimmed().isEmpty()) lines << QString();
        lines << '[' + section + ']' << entry;
        return writeLines(lines);
    }
    QString k;
    for (int i = header + 1; i < end; ++i) {
        if (keyLine(lines[i], &k, nullptr) && sameName(k, key)) {
            lines[i] = entry;
            return writeLines(lines);
        }
    }
    // After the section's last key, before blank lines that separate sections.
    int at = end;
    while (at > header + 1 && lines[at - 1].trimmed().isEmpty()) --at;
    lines.insert(at, entry);
    return writeLines(lines);
}

bool PrivateProfile::writeInt(const QString &section, const QString &key, long long value) {
    return writeString(section, key, QString::number(value));
}

bool PrivateProfile::deleteSection(const QString &section) {
    bool ok = false;
    QStringList lines = readLines(&ok);
    if (!ok) return false;
    int header, end;
    findSection(lines, section, &header, &end);
    if (header < 0) return true;
    lines.erase(lines.begin() + header, lines.begin() + end);
    return writeLines(lines);
}

}  // namespace tqen::profile
