#pragma once
// The program folder of AppFixture with the process-wide paths set as the
// main screen sets them, floppy "disks" as folders that the test puts into
// drive A: one after the other, and an operator at the screen who answers
// message boxes by a rule (change the disk when asked, then OK) or from the
// script.
#include "model/Session.h"
#include "platform/files/Files.h"
#include "platform/files/Temporaries.h"
#include "tests/support/AppFixture.h"

#include <QCryptographicHash>
#include <QPointer>
#include <QProcess>
#include <QThread>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <functional>

#include <csignal>

namespace tqen::testing {

class Operator : public forms::ScriptedInteraction {
public:
    // Returns the answer to a box, or 0 to leave it to the script.
    std::function<int(const QString &prompt)> onBox;
    int messageBox(QWidget *owner, const QString &prompt, int style, const QString &title) override {
        if (onBox) {
            if (const int a = onBox(prompt)) {
                shown.push_back({prompt, title, style, a});
                return a;
            }
        }
        return ScriptedInteraction::messageBox(owner, prompt, style, title);
    }
    QStringList prompts() const {
        QStringList out;
        for (const Shown &s : shown) out << s.prompt;
        return out;
    }
    bool showed(const QString &text) const {
        for (const Shown &s : shown)
            if (s.prompt.contains(text)) return true;
        return false;
    }
};

class MaintenanceFixture : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        forms::setInteraction(&op);
        useAppFolderSession();
        session.env = Settings::read(work());
    }

    // Runs the maintenance child (RestoreChild.cpp) with args and kills it
    // outright after ms milliseconds, as a power cut would; false when it did
    // not start.
    static bool killChildAfter(const QStringList &args, qint64 ms) {
        QProcess p;
        p.start(qEnvironmentVariable("TQEN_BINARY_DIR") + QStringLiteral("/bin/tqen_restore_child"), args);
        if (!p.waitForStarted()) return false;
        QThread::msleep(quint64(ms));
        ::kill(pid_t(p.processId()), SIGKILL);
        p.waitForFinished();
        return true;
    }

    // A new empty folder standing for one floppy disk.
    QString disk(const QString &name) {
        const QString path = tmp.filePath(QStringLiteral("disks/") + name);
        QDir().mkpath(path);
        return path;
    }
    // Puts a disk into drive A:; an empty folder path leaves the drive empty.
    void insert(const QString &folder) {
        QFile f(qEnvironmentVariable("TQEN_DRIVES"));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("C=" + drive.toUtf8() + "\n");
        // The folders stand for disks: no medium is mounted on them.
        f.write("fixed = A\n");
        f.write("A=" + (folder.isEmpty() ? tmp.filePath(QStringLiteral("no-disk")).toUtf8() : folder.toUtf8()) + "\n");
    }
    // The operator changes to disk i of the list whenever a disk is asked
    // for, and presses OK on everything else.
    void operatorWithDisks(const QStringList &disks) {
        op.onBox = [this, disks](const QString &prompt) {
            static const QRegularExpression which(QStringLiteral("^(\\d+)/ \\d+枚目のフロッピーディスクをセットしてください"));
            const auto m = which.match(prompt);
            if (m.hasMatch()) insert(disks.value(m.captured(1).toInt() - 1));
            else if (prompt.contains(QStringLiteral("「1」をセットしてださい"))) insert(disks.value(0));
            return forms::mb::IdOK;
        };
    }

    static QByteArray bytes(const QString &path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static void writeBytes(const QString &path, const QByteArray &b) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(b);
    }
    // Adds reports whose memos hold random kanji, which packs poorly: about
    // 1,100 bytes of archive per report.
    void addRandomReports(const QString &path, int count, const QString &title, quint32 seed) {
        QRandomGenerator rng(seed);
        auto db = dao::Database::open(path);
        ASSERT_TRUE(db.beginTrans());
        auto rs = db.openRecordset(QStringLiteral("select * from 営業日報"));
        for (int i = 0; i < count; ++i) {
            QString memo;
            for (int c = 0; c < 600; ++c) memo += QChar(char16_t(0x4E00 + rng.bounded(0x5000)));
            rs.addNew();
            rs.setField(QStringLiteral("日付"), QDate(2001, 1, 1).addDays(i % 700));
            rs.setField(QStringLiteral("顧客名"), QStringLiteral("顧客%1").arg(i % 50));
            rs.setField(QStringLiteral("担当"), QStringLiteral("佐藤"));
            rs.setField(QStringLiteral("タイトル"), title);
            rs.setField(QStringLiteral("メモ"), memo);
            ASSERT_TRUE(rs.update()) << rs.error().toStdString();
        }
        rs.close();
        ASSERT_TRUE(db.commitTrans());
    }
    // The work files and folders of runs (named by their run) in a folder.
    static QStringList temporariesIn(const QString &folder) {
        QStringList out;
        for (const QString &name : QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
            if (files::isTemporaryName(name)) out << name;
        return out;
    }
    static qlonglong count(const QString &path, const QString &table) {
        return dao::countRows(path, {table}).value(0);
    }

    Operator op;
};

}  // namespace tqen::testing
