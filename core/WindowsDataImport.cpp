#include "core/WindowsDataImport.h"

#include "model/Schema.h"
#include "model/Settings.h"
#include "platform/dao/Dao.h"
#include "platform/files/Temporaries.h"
#include "platform/files/Files.h"
#include "platform/mdbreader/MdbReader.h"

#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace tqen {
namespace {

// The data file's schema, the same script the delivered file is made from.
QString schemaScript() { return model::schema::fileScript(model::schema::dataDatabase()); }

// A Windows value as our columns store it: dates without their time of day.
QVariant converted(const QVariant &v) {
    if (v.typeId() == QMetaType::QDateTime) return v.toDateTime().date();
    return v;
}

}  // namespace

qlonglong ImportSummary::skipped() const {
    qlonglong n = 0;
    for (const Table &t : tables) n += t.skipped;
    return n;
}

QString ImportSummary::text() const {
    QString s = QStringLiteral("Windows版のデータファイルを変換しました。\n\n");
    for (const Table &t : tables) {
        if (!t.present) {
            s += QStringLiteral("%1: 元のファイルにありません\n").arg(t.name);
            continue;
        }
        s += QStringLiteral("%1: %2 件").arg(t.name).arg(t.rows);
        if (t.skipped) s += QStringLiteral("（読めなかった行 %1 件）").arg(t.skipped);
        s += u'\n';
    }
    s += QStringLiteral("読めなかった行: 合わせて %1 件\n\n").arg(skipped());
    s += QStringLiteral("新しいデータファイル:\n%1").arg(newPath);
    return s;
}

QStringList ImportedTables() {
    return {QStringLiteral("営業日報"), QStringLiteral("顧客マスタ"), QStringLiteral("コードマスタ"), QStringLiteral("TqHint")};
}

QString ConvertedPathFor(const QString &jetPath) {
    const QFileInfo info(jetPath);
    const QString stem = info.absolutePath() + u'/' + info.completeBaseName() + QStringLiteral("-converted");
    QString path = stem + QStringLiteral(".mdb");
    for (int n = 2; QFileInfo::exists(path) || QFileInfo::exists(files::temporaryFor(path)); ++n)
        path = stem + QStringLiteral("-%1.mdb").arg(n);
    return path;
}

Error ImportWindowsDataFile(const QString &jetPath, ImportSummary *summary) {
    ImportSummary result;
    result.source = jetPath;
    Error error;
    mdbreader::Reader reader = mdbreader::Reader::open(jetPath, &error);
    if (!reader.isOpen()) return error;
    bool any = false;
    for (const QString &name : ImportedTables()) any = any || reader.hasTable(name);
    if (!any)
        return Error(Error::Code::BadInput,
                     QStringLiteral("このファイルには営業日報のデータ (営業日報・顧客マスタ・コードマスタ・TqHint) がありません。\n%1")
                         .arg(jetPath));
    const QString script = schemaScript();
    if (script.isEmpty()) return Error(Error::Code::FileFailed, QStringLiteral("データファイルのひな形を読めません。"));

    // What an earlier conversion that was killed left beside the file goes.
    files::removeDeadTemporaries(QFileInfo(jetPath).absolutePath());
    const QString target = ConvertedPathFor(jetPath);
    const QString part = files::temporaryFor(target);
    if (Error e = dao::createDatabase(part, script); !e.ok()) return e;
    const QString failedText = QStringLiteral("Windows版のデータファイルを変換できませんでした。元のファイルはそのままです。");
    auto discard = [&part] {
        files::removeFile(part);
        files::removeFile(part + QStringLiteral("-journal"));
    };
    {
        auto db = dao::Database::open(part);
        if (!db.beginTrans()) {
            Error e = dao::failure(failedText, db);
            db.close();
            discard();
            return e;
        }
        for (const QString &name : ImportedTables()) {
            ImportSummary::Table done;
            done.name = name;
            done.present = reader.hasTable(name);
            if (!done.present) {
                result.tables.append(done);
                continue;
            }
            // The delivered file's own rows (the empty staff slots) give way
            // to the office's.
            if (!db.execute(QStringLiteral("delete * from ") + name)) {
                Error e = dao::failure(failedText, db);
                db.close();
                discard();
                return e;
            }
            auto rs = db.openRecordset(QStringLiteral("select * from ") + name);
            const QStringList columns = rs.fieldNames();
            QList<mdbreader::Column> windowsColumns;
            Error readError = reader.columns(name, &windowsColumns);
            // Columns are matched by name, regardless of case; ours that the
            // Windows table lacks stay Null, its others are left out.
            QList<int> from;
            for (const QString &c : columns) {
                int at = -1;
                for (qsizetype j = 0; j < windowsColumns.size(); ++j)
                    if (windowsColumns[j].name.compare(c, Qt::CaseInsensitive) == 0) at = int(j);
                from.append(at);
            }
            Error writeError;
            mdbreader::TableRead read;
            if (readError.ok())
                readError = reader.readTable(
                    name,
                    [&](const QVariantList &values) {
                        rs.addNew();
                        for (qsizetype i = 0; i < columns.size(); ++i)
                            if (from[i] >= 0 && from[i] < values.size())
                                rs.setField(columns[i], converted(values[from[i]]));
                        if (!rs.update()) {
                            writeError = dao::failure(failedText, db, rs);
                            return false;
                        }
                        return true;
                    },
                    &read);
            if (!readError.ok() || !writeError.ok()) {
                rs.close();
                db.rollback();
                db.close();
                discard();
                return readError.ok() ? writeError : Error(readError.code(), failedText + u'\n' + readError.text(), readError.detail());
            }
            done.rows = read.rowsRead;
            done.skipped = read.rowsUnreadable;
            rs.close();
            result.tables.append(done);
        }
        if (!db.commitTrans()) {
            Error e = dao::failure(failedText, db);
            db.rollback();
            db.close();
            discard();
            return e;
        }
        db.close();
    }
    if (const Error e = files::renameOver(part, target); !e.ok()) {
        discard();
        return Error(Error::Code::FileFailed, failedText, e.text());
    }
    result.newPath = target;
    if (summary) *summary = result;
    return {};
}

Error UseAsDataFile(model::Session &session, const QString &path) {
    // The remembered staff member and customer stay as stored.
    Error error;
    const Settings stored = Settings::read(session.workDbPath, &error);
    if (!error.ok()) return error;
    if (stored.present) {
        session.env.担当 = stored.担当;
        session.env.顧客名 = stored.顧客名;
        session.env.ふりがな = stored.ふりがな;
        if (session.env.年号.isEmpty()) session.env.年号 = stored.年号;
    }
    const QString before = session.env.DataPath;
    session.env.DataPath = path;
    if (Error e = session.env.write(session.workDbPath, Settings::IfNoRow::Create); !e.ok()) {
        session.env.DataPath = before;
        return e;
    }
    session.dataDbPath = path;
    session.hintDbPath = path;
    return {};
}

int RunImportCommand(const QString &jetPath, const QString &dataFolder, QTextStream &out, QTextStream &err) {
    if (!mdbreader::isJetFile(jetPath)) {
        err << QStringLiteral("Windows版のデータファイルではありません: %1").arg(jetPath) << Qt::endl;
        return 2;
    }
    model::Session session;
    session.dataFolder = dataFolder;
    session.workDbPath = files::resolveCase(dataFolder + QStringLiteral("TqenWork.mdb"));
    session.env = Settings::read(session.workDbPath);
    ImportSummary summary;
    if (Error e = ImportWindowsDataFile(jetPath, &summary); !e.ok()) {
        err << e.message() << Qt::endl;
        return 1;
    }
    out << summary.text() << Qt::endl;
    if (Error e = UseAsDataFile(session, summary.newPath); !e.ok()) {
        err << QStringLiteral("新しいデータファイルを設定に書けませんでした。保守画面でデータパスに指定してください。") << Qt::endl
            << e.message() << Qt::endl;
        return 1;
    }
    out << QStringLiteral("このファイルをデータファイルとして使います。") << Qt::endl;
    return 0;
}

}  // namespace tqen
