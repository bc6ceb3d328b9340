#include "backup/Snapshots.h"

#include "platform/dao/Dao.h"
#include "platform/files/Files.h"
#include "platform/files/Temporaries.h"

#include <QStringList>

namespace tqen::backup {

namespace {

const QString kPrefix = QStringLiteral("snapshot-");
const QString kSuffix = QStringLiteral(".db");
const QString kNote = QStringLiteral(".txt");
const QString kStamp = QStringLiteral("yyyyMMdd-HHmmsszzz");

}  // namespace

Snapshots::Snapshots(const QString &folder) : folder_(folder.endsWith(u'/') ? folder : folder + u'/') {}

Snapshots Snapshots::inDataFolder(const QString &dataFolder) { return Snapshots(dataFolder + QStringLiteral("snapshots/")); }

Error Snapshots::take(const QString &dataFile, const QString &operation) {
    if (const Error e = files::makeFolder(folder_); !e.ok())
        return Error(Error::Code::FileFailed, QStringLiteral("安全のための控えを作れませんでした。"), e.text());
    QDateTime now = QDateTime::currentDateTime();
    QString base = folder_ + kPrefix + now.toString(kStamp);
    // Two snapshots within one millisecond get distinct names.
    while (files::fileExists(base + kSuffix)) {
        now = now.addMSecs(1);
        base = folder_ + kPrefix + now.toString(kStamp);
    }
    const Error copied = dao::backupTo(dataFile, base + kSuffix);
    if (!copied.ok())
        return Error(Error::Code::FileFailed, QStringLiteral("安全のための控えを作れませんでした。操作を中止します。"),
                     copied.detail());
    const QList<qlonglong> counts =
        dao::countRows(base + kSuffix, {QStringLiteral("営業日報"), QStringLiteral("顧客マスタ")});
    const QString note = operation + u'\n' + QString::number(counts.value(0, -1)) + u'\n' +
                         QString::number(counts.value(1, -1)) + u'\n' + dataFile + u'\n';
    if (const Error e = files::writeFile(base + kNote, note.toUtf8()); !e.ok()) {
        files::removeFile(base + kSuffix);
        return Error(Error::Code::FileFailed, QStringLiteral("安全のための控えを作れませんでした。操作を中止します。"), e.text());
    }
    prune();
    return {};
}

QList<Snapshots::Entry> Snapshots::list() const {
    QList<Entry> out;
    const QStringList names = files::fileNames(folder_);
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
        const QString &name = *it;
        if (!name.startsWith(kPrefix) || !name.endsWith(kSuffix)) continue;
        const QString stamp = name.mid(kPrefix.size(), name.size() - kPrefix.size() - kSuffix.size());
        Entry e;
        e.path = folder_ + name;
        e.taken = QDateTime::fromString(stamp, kStamp);
        if (!e.taken.isValid()) continue;
        Error unread;
        const QStringList note =
            QString::fromUtf8(files::readHead(folder_ + kPrefix + stamp + kNote, 4096, &unread)).split(u'\n');
        if (unread.ok()) {
            e.operation = note.value(0);
            e.reports = note.value(1, QStringLiteral("-1")).toLongLong();
            e.customers = note.value(2, QStringLiteral("-1")).toLongLong();
            e.dataFile = note.value(3);
        } else {
            // A run killed between the copy and its note: the copy itself
            // tells its rows; the file it was taken of stays unknown.
            const QList<qlonglong> counts = dao::countRows(e.path, {QStringLiteral("営業日報"), QStringLiteral("顧客マスタ")});
            e.operation = QStringLiteral("（操作の記録なし）");
            e.reports = counts.value(0, -1);
            e.customers = counts.value(1, -1);
        }
        out << e;
    }
    return out;
}

void Snapshots::prune() const {
    const QList<Entry> all = list();
    for (qsizetype i = Keep; i < all.size(); ++i) {
        files::removeFile(all[i].path);
        files::removeFile(all[i].path.chopped(kSuffix.size()) + kNote);
    }
}

Error Snapshots::putBack(const Entry &entry) {
    const QString &dataFile = entry.dataFile;
    if (dataFile.isEmpty()) return Error(Error::Code::NotFound, QStringLiteral("この控えの元のファイルが分かりません。"));
    if (Error e = dao::checkDatabase(entry.path, {QStringLiteral("営業日報"), QStringLiteral("顧客マスタ")}); !e.ok())
        return Error(Error::Code::BadInput, QStringLiteral("この控えは壊れているため戻せません。"), e.detail());
    // Copy the chosen snapshot aside first: the fresh snapshot may prune it.
    const QString chosen = files::temporaryFor(entry.path);
    if (Error e = dao::backupTo(entry.path, chosen); !e.ok()) return e;
    Error result = take(dataFile, QStringLiteral("元に戻す前"));
    if (result.ok()) result = dao::backupTo(chosen, dataFile);
    files::removeFile(chosen);
    return result;
}

QString Snapshots::describe(const Entry &entry) {
    return QStringLiteral("%1  %2  (営業日報 %3 件、顧客 %4 件)")
        .arg(entry.taken.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")), entry.operation)
        .arg(entry.reports)
        .arg(entry.customers);
}

}  // namespace tqen::backup
