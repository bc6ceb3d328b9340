// Two programs sharing one data database, racing: each gets the same command
// at the same moment, many times. On the server they are two PCs; on a data
// file they are the program started twice on one PC (or two PCs on a shared
// folder).
#include "model/Confirmations.h"
#include "tests/support/AppFixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QSet>

#include <array>
#include <cstdio>
#include <memory>

namespace {

class Race : public tqen::testing::AppFixture {
protected:
    // Both programs use the data database named by the work file's settings;
    // with a pause they wait that many milliseconds between each look-up and
    // its write.
    void startPrograms(int pauseMs = 0) {
        // The second PC: a program folder of its own with its own work file.
        const QString second = tmp.filePath(QStringLiteral("second pc"));
        QDir().mkpath(second + QStringLiteral("/data"));
        ASSERT_TRUE(QFile::copy(work(), second + QStringLiteral("/data/TqenWork.mdb")));
        for (int i = 0; i < 2; ++i) {
            auto &p = programs[size_t(i)];
            p = std::make_unique<QProcess>();
            p->setProgram(QCoreApplication::applicationDirPath() + QStringLiteral("/tqen_race_child"));
            p->setArguments({i == 0 ? app : second});
            if (pauseMs) p->setArguments(p->arguments() << QString::number(pauseMs));
            p->start();
            ASSERT_TRUE(p->waitForStarted(10000));
        }
        for (auto &p : programs) ASSERT_EQ(reply(*p), "ready");
    }
    void TearDown() override {
        for (auto &p : programs) {
            if (!p) continue;
            p->closeWriteChannel();
            if (!p->waitForFinished(10000)) p->kill();
        }
        AppFixture::TearDown();
    }
    static QString reply(QProcess &p) {
        while (!p.canReadLine())
            if (!p.waitForReadyRead(30000)) return QStringLiteral("no answer: ") + QString::fromUtf8(p.readAllStandardError());
        return QString::fromUtf8(p.readLine()).trimmed();
    }
    // Both programs get their line at once; their answers come back.
    std::array<QString, 2> both(const QString &first, const QString &second) {
        programs[0]->write((first + u'\n').toUtf8());
        programs[1]->write((second + u'\n').toUtf8());
        // A write waits in the process object's buffer until it is flushed:
        // both lines must be on their way before either answer is awaited.
        programs[0]->waitForBytesWritten(10000);
        programs[1]->waitForBytesWritten(10000);
        return {reply(*programs[0]), reply(*programs[1])};
    }
    std::array<std::unique_ptr<QProcess>, 2> programs;
};

class RaceOnServer : public Race {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        if (IsSkipped()) return;
        TQEN_SKIP_WITHOUT_SERVER();
        if (!server) {
            server = std::make_unique<tqen::testing::ServerDb>();
            ASSERT_TRUE(server->ok);
            dataOnServer = server->uri;
            onWork(QStringLiteral("update 管理 set DataPath = ") + dao::sqlText(dataOnServer));
        }
        startPrograms();
    }
    QString value(const QString &sql) { return server->value(sql); }
};

class RaceOnFile : public Race {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        onWork(QStringLiteral("update 管理 set DataPath = ") + dao::sqlText(dataFile()));
        startPrograms(2);
    }
};

// A thousand rounds: half of them both programs register the same day,
// customer and staff member, which must end as one report; the other half
// two customers, which must end as two. Neither program ever fails, and the
// customer master never holds a name twice.
TEST_F(RaceOnFile, TwoProgramsOnOneFileNeverWriteAReportOrCustomerTwice) {
    const QDate first(2024, 1, 1);
    const int rounds = 1000;
    int failures = 0;
    for (int i = 0; i < rounds; ++i) {
        const QString day = first.addDays(i).toString(QStringLiteral("yyyyMMdd"));
        const QString other = i % 2 ? QStringLiteral("乙商事") : QStringLiteral("甲商事");
        const auto answers = both(QStringLiteral("report %1 甲商事 山田 A%2").arg(day).arg(i),
                                  QStringLiteral("report %1 %2 山田 B%3").arg(day, other).arg(i));
        if (answers[0] != "ok" || answers[1] != "ok") {
            ++failures;
            ADD_FAILURE() << i << ": " << answers[0].toStdString() << " / " << answers[1].toStdString();
            if (failures > 5) break;
        }
    }
    const auto reports = rows(dataFile(), QStringLiteral("select 日付, 顧客名, 担当 from 営業日報"));
    EXPECT_EQ(reports.size(), rounds + rounds / 2);
    QSet<QString> keys;
    int twice = 0;
    for (const QVariantMap &r : reports) {
        const QString key = r.value(QStringLiteral("日付")).toString() + u'|' + r.value(QStringLiteral("顧客名")).toString() +
                            u'|' + r.value(QStringLiteral("担当")).toString();
        if (keys.contains(key)) ++twice;
        keys.insert(key);
    }
    EXPECT_EQ(twice, 0);
    const auto customers = rows(dataFile(), QStringLiteral("select 名称, 担当 from 顧客マスタ order by 名称"));
    ASSERT_EQ(customers.size(), 2);
    for (const QVariantMap &c : customers) EXPECT_EQ(c.value(QStringLiteral("担当")).toString(), QStringLiteral("山田"));
}

TEST_F(RaceOnServer, TwoProgramsRegisteringOneReportKeepOneRowAndNeitherFails) {
    const QDate first(2024, 1, 1);
    for (int i = 0; i < 100; ++i) {
        const QString day = first.addDays(i).toString(QStringLiteral("yyyyMMdd"));
        // Even rounds: the same day, customer and staff; odd rounds: two customers.
        const QString other = i % 2 ? QStringLiteral("乙商事") : QStringLiteral("甲商事");
        const auto answers = both(QStringLiteral("report %1 甲商事 山田 A%2").arg(day).arg(i),
                                  QStringLiteral("report %1 %2 山田 B%3").arg(day, other).arg(i));
        EXPECT_EQ(answers[0], "ok") << i;
        EXPECT_EQ(answers[1], "ok") << i;
    }
    EXPECT_EQ(value(QStringLiteral("select count(*) from 営業日報")), "150");
    EXPECT_EQ(value(QStringLiteral("select count(*) from (select 1 from 営業日報 group by 日付, 顧客名, 担当 "
                                   "having count(*) > 1) d")),
              "0");
    // Each shared report holds one program's whole write.
    EXPECT_EQ(value(QStringLiteral("select count(*) from 営業日報 where 顧客名 = '甲商事' and タイトル !~ '^[AB][0-9]+$'")), "0");
    EXPECT_EQ(value(QStringLiteral("select count(*) from 営業日報 where 顧客名 = '乙商事'")), "50");
    EXPECT_EQ(value(QStringLiteral("select count(*) from 顧客マスタ")), "2");
}

// One PC edits a report while the other confirms it, a hundred times: the
// edit is never lost, and the report ends confirmed as it now stands or
// reads as changed since its confirmation — never confirmed for a text the
// confirmer did not see.
TEST_F(RaceOnServer, AnEditRacingAConfirmationIsNeverLostNorSilentlyConfirmed) {
    const model::ReportKey key{QDate(2024, 1, 1), QStringLiteral("甲商事"), QStringLiteral("山田")};
    const auto start = both(QStringLiteral("report 20240101 甲商事 山田 A"), QStringLiteral("code 部長"));
    ASSERT_EQ(start[0], "ok");
    ASSERT_EQ(start[1], "ok");
    int confirmedAsNew = 0, changed = 0;
    for (int i = 0; i < 100; ++i) {
        const auto answers = both(QStringLiteral("report 20240101 甲商事 山田 T%1").arg(i),
                                  QStringLiteral("confirm 20240101 甲商事 山田 部長"));
        ASSERT_EQ(answers[0], "ok") << i;
        ASSERT_EQ(answers[1], "ok") << i;
        EXPECT_EQ(value(QStringLiteral("select タイトル from 営業日報")), QStringLiteral("T%1").arg(i));
        const model::ReportConfirmation c = model::Confirmations::stateOf(dataOnServer, key);
        ASSERT_EQ(c.history.size(), i + 1) << i;
        // The marker that many reports' states are read with agrees.
        EXPECT_EQ(model::Confirmations::statesBetween(dataOnServer, key.day, key.day).value(key).state, c.state) << i;
        if (c.state == model::ConfirmState::Confirmed) {
            // The newest fingerprint is the new text's.
            EXPECT_EQ(c.history.last().fingerprint,
                      model::Confirmations::fingerprint(QStringLiteral("T%1").arg(i), QString())) << i;
            ++confirmedAsNew;
        } else {
            EXPECT_EQ(c.state, model::ConfirmState::ChangedSince) << i;
            ++changed;
        }
    }
    EXPECT_EQ(confirmedAsNew + changed, 100);
    std::printf("confirmed as edited: %d, changed since: %d\n", confirmedAsNew, changed);
}

TEST_F(RaceOnServer, TwoProgramsAddingStaffNamesNeverShareASlot) {
    for (int i = 0; i < 100; ++i) {
        server->exec(QStringLiteral("update コードマスタ set sname = null where kcode = '担当'"));
        const bool same = i % 2 == 0;
        const QString a = QStringLiteral("甲%1").arg(i), b = same ? a : QStringLiteral("乙%1").arg(i);
        const auto answers = both(QStringLiteral("code ") + a, QStringLiteral("code ") + b);
        if (same) {
            // One adds it, the other finds it added.
            EXPECT_TRUE((answers[0] == "ok" && answers[1] == "present") || (answers[0] == "present" && answers[1] == "ok"))
                << i << ": " << answers[0].toStdString() << " / " << answers[1].toStdString();
            EXPECT_EQ(value(QStringLiteral("select string_agg(code || '=' || sname, ',') from コードマスタ where sname is not null")),
                      QStringLiteral("01=") + a);
        } else {
            EXPECT_EQ(answers[0], "ok") << i;
            EXPECT_EQ(answers[1], "ok") << i;
            QStringList names{a, b};
            names.sort();  // code point order, as the server's texts sort
            EXPECT_EQ(value(QStringLiteral("select string_agg(sname, ',' order by sname) from コードマスタ "
                                           "where code in ('01', '02')")),
                      names.join(u','))
                << i;
        }
        EXPECT_EQ(value(QStringLiteral("select count(*) from コードマスタ where kcode = '担当'")), "30");
    }
}

}  // namespace
