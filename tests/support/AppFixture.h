#pragma once
// A program folder in a temporary folder with the delivered data files copied
// in, a drive table whose C: is the test's own folder, a private component
// registry, and scripted answers to every message box; for the tests of the
// program's screens, which also share the short names at the end.
#include "model/Session.h"
#include "platform/dao/Dao.h"
#include "platform/forms/ScriptedInteraction.h"
#include "tests/support/Child.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/ServerDb.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

namespace tqen::testing {

class AppFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(tmp.isValid());
        app = tmp.filePath(QStringLiteral("app folder"));
        drive = tmp.filePath(QStringLiteral("drive-c"));
        QDir().mkpath(app + QStringLiteral("/data"));
        QDir().mkpath(drive);
        const QString delivered = qEnvironmentVariable("TQEN_BINARY_DIR") + QStringLiteral("/bin/data/");
        for (const char *name : {"TqenData.mdb", "TqenWork.mdb"}) {
            const QString to = app + QStringLiteral("/data/") + QString::fromUtf8(name);
            ASSERT_TRUE(QFile::copy(delivered + QString::fromUtf8(name), to)) << name;
            QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner);
        }
        const QString conf = tmp.filePath(QStringLiteral("drives.conf"));
        QFile f(conf);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("C=" + drive.toUtf8() + "\n");
        f.close();
        qputenv("TQEN_DRIVES", conf.toUtf8());
        qputenv("TQEN_COM_REGISTRY", tmp.filePath(QStringLiteral("registry.json")).toUtf8());
        qputenv("TQEN_PROFILE_DIR", tmp.filePath(QStringLiteral("profile")).toUtf8());
        session = model::Session();
        // The same tests with the data database on the test server: the
        // settings row names it, and data() is its URI.
        if (qEnvironmentVariable("TQEN_TEST_DATA_ENGINE") == QStringLiteral("server")) {
            TQEN_SKIP_WITHOUT_SERVER();
            server = std::make_unique<ServerDb>();
            ASSERT_TRUE(server->ok);
            dataOnServer = server->uri;
            onWork(QStringLiteral("update 管理 set DataPath = ") + dao::sqlText(dataOnServer));
        }
    }
    void TearDown() override {
        qunsetenv("TQEN_DRIVES");
        qunsetenv("TQEN_COM_REGISTRY");
        qunsetenv("TQEN_PROFILE_DIR");
    }

    // The session of the program folder's files, as start-up finds them: for
    // the forms a test opens on their own.
    void useAppFolderSession() {
        session.dataFolder = app + QStringLiteral("/data/");
        session.helpFolder = app + QStringLiteral("/help/");
        session.workDbPath = work();
        session.dataDbPath = data();
        session.hintDbPath = data();
    }

    QString work() const { return app + QStringLiteral("/data/TqenWork.mdb"); }
    QString data() const { return dataOnServer.isEmpty() ? dataFile() : dataOnServer; }
    QString dataFile() const { return app + QStringLiteral("/data/TqenData.mdb"); }

    void onWork(const QString &sql) { run(work(), sql); }
    void onData(const QString &sql) { run(data(), sql); }
    static void run(const QString &path, const QString &sql) {
        auto db = dao::Database::open(path);
        ASSERT_TRUE(db.execute(sql)) << db.error().toStdString();
    }

    // Adds a row to a table of a database file.
    static void addRow(const QString &path, const QString &table, const QVariantMap &fields) {
        auto db = dao::Database::open(path);
        auto rs = db.openRecordset(QStringLiteral("select * from ") + table);
        rs.addNew();
        for (auto it = fields.begin(); it != fields.end(); ++it) rs.setField(it.key(), it.value());
        ASSERT_TRUE(rs.update()) << rs.error().toStdString();
    }
    void addReport(const QDate &day, const QString &customer, const QString &staff, const QVariant &title = {},
                   const QVariant &memo = {}) {
        addRow(data(), QStringLiteral("営業日報"),
               {{QStringLiteral("日付"), day}, {QStringLiteral("顧客名"), customer}, {QStringLiteral("担当"), staff},
                {QStringLiteral("タイトル"), title}, {QStringLiteral("メモ"), memo}});
    }
    void addCustomer(const QString &name, const QVariant &reading, const QVariant &staff = {}) {
        addRow(data(), QStringLiteral("顧客マスタ"),
               {{QStringLiteral("名称"), name}, {QStringLiteral("ふりがな"), reading}, {QStringLiteral("担当"), staff}});
    }

    // Every row of a select, each as field → value.
    static QList<QVariantMap> rows(const QString &path, const QString &sql) {
        QList<QVariantMap> out;
        auto db = dao::Database::open(path);
        auto rs = db.openRecordset(sql);
        while (!rs.eof()) {
            QVariantMap row;
            for (const QString &f : rs.fieldNames()) row.insert(f, rs.field(f));
            out << row;
            rs.moveNext();
        }
        return out;
    }

    QTemporaryDir tmp;
    QString app, drive;
    std::unique_ptr<ServerDb> server;
    QString dataOnServer;
    forms::ScriptedInteraction script;
    forms::ScopedInteraction scope{&script};

    model::Session session;
};

}  // namespace tqen::testing

// Every screen test names the program's classes, finds controls by name and
// answers message boxes by their short names.
using namespace tqen;
using tqen::testing::child;
namespace mb = tqen::forms::mb;
