#include "core/ProgramFolders.h"

#include "platform/files/Files.h"

#include <QDir>

namespace tqen {

QString UserDataFolder() { return files::userDataHome() + QStringLiteral("/tqen/data/"); }

namespace {

// Copies every delivered file that the user's folder lacks; stops at the
// first failure.
Error copyMissing(const QString &delivered, const QString &user) {
    if (const Error e = files::makeFolder(user); !e.ok()) {
        return Error(Error::Code::FileFailed, QStringLiteral("データを置くフォルダを作れません。\n%1").arg(user), e.text());
    }
    for (const QString &name : files::fileNames(delivered)) {
        const QString to = user + name;
        if (files::fileExists(to)) continue;
        // A new file (written beside and renamed into place), writable by
        // the user whatever the delivered file's mode.
        if (const Error e = files::copyFile(delivered + name, to); !e.ok()) {
            return Error(Error::Code::FileFailed,
                         QStringLiteral("最初のデータファイルを用意できません。\n%1").arg(to), e.text());
        }
    }
    return {};
}

}  // namespace

ProgramFolders ResolveProgramFolders(const QString &applicationFolder, Error *error) {
    if (error) *error = Error();
    ProgramFolders f;
    const QString beside = applicationFolder + QStringLiteral("/data/");
    const QString share = QDir::cleanPath(applicationFolder + QStringLiteral("/../share/tqen")) + QLatin1Char('/');
    if (files::folderExists(beside) || !files::folderExists(share + QStringLiteral("data"))) {
        f.data = beside;
        f.help = applicationFolder + QStringLiteral("/help/");
        return f;
    }
    f.installed = true;
    f.data = UserDataFolder();
    f.help = share + QStringLiteral("help/");
    const Error e = copyMissing(share + QStringLiteral("data/"), f.data);
    if (error) *error = e;
    return f;
}

}  // namespace tqen
