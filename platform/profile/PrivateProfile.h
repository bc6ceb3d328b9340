#pragma once
// Private-profile (INI) files as the Windows profile functions read and write
// them: "[section]" headers and "key=value" lines, section and key names
// compared without regard to case, values trimmed of blanks and of one pair of
// surrounding quotes. Files are UTF-8 text.
//
// A file name without a folder lies in the profile folder: $TQEN_PROFILE_DIR
// when set, else $XDG_CONFIG_HOME/tqen (~/.config/tqen).
#include <QString>
#include <QStringList>

namespace tqen::profile {

// The folder that holds profile files named without a folder.
QString profileFolder();

class PrivateProfile {
public:
    // fileName: "HX4WIN.INI" (profile folder) or a path with a folder.
    explicit PrivateProfile(const QString &fileName);

    QString filePath() const { return m_path; }

    // The integer read: leading blanks, an optional sign and decimal digits;
    // anything else after them is ignored. Missing key or no digits: def.
    int readInt(const QString &section, const QString &key, int def) const;
    // The string read, cut to maxChars characters. Missing key: def.
    QString readString(const QString &section, const QString &key, const QString &def,
                       int maxChars = 255) const;
    // true when the key is present in the section (even with an empty value).
    bool contains(const QString &section, const QString &key) const;
    QStringList keys(const QString &section) const;

    // Writes key=value into the section, creating file and section as needed.
    // false when the file cannot be written.
    bool writeString(const QString &section, const QString &key, const QString &value);
    bool writeInt(const QString &section, const QString &key, long long value);
    // Removes the whole section. Succeeds when the section is absent too;
    // false only when the file cannot be written.
    bool deleteSection(const QString &section);

private:
    QStringList readLines(bool *ok = nullptr) const;
    bool writeLines(const QStringList &lines);
    QString m_path;
};

}  // namespace tqen::profile
