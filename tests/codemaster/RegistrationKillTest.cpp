// A registration is one transaction: a process killed between two of its
// statements leaves the class exactly as it was.
#include "tests/codemaster/CodeMasterFixture.h"

#include <QCoreApplication>
#include <QProcess>

namespace {

class RegistrationKill : public tqen::testing::CodeMasterFixture {
protected:
    // Runs the child registration; kills it with SIGKILL right after the
    // statement numbered killAt (0 = let it finish). Returns the steps seen.
    int runChild(int killAt) {
        QProcess child;
        child.setProgram(QCoreApplication::applicationDirPath() + QStringLiteral("/tqen_codemaster_child"));
        child.setArguments({work(), data()});
        child.setProcessChannelMode(QProcess::SeparateChannels);
        child.start();
        EXPECT_TRUE(child.waitForStarted(10000));
        int steps = 0;
        while (child.state() == QProcess::Running || child.canReadLine()) {
            if (!child.canReadLine() && !child.waitForReadyRead(20000)) break;
            while (child.canReadLine()) {
                const QByteArray line = child.readLine().trimmed();
                if (!line.startsWith("step ")) continue;
                steps = line.mid(5).toInt();
                if (steps == killAt) {
                    child.kill();   // SIGKILL: no handler, no clean-up
                    child.waitForFinished(10000);
                    EXPECT_EQ(child.exitStatus(), QProcess::CrashExit);
                    return steps;
                }
                child.write("\n");
            }
        }
        child.waitForFinished(20000);
        EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardError().toStdString();
        return steps;
    }
};

TEST_F(RegistrationKill, AKilledRegistrationLeavesTheClassAsItWas) {
    setStaff({{"01", "佐藤"}, {"02", "鈴木"}, {"30", "高橋"}});
    onData(QStringLiteral("insert into コードマスタ (kcode, code, sname, cnt) values ('担当', '31', '渡辺', 31)"));
    const auto before = staff();
    ASSERT_EQ(before.size(), 31);
    // After the delete, after the first insert, half-way, after the last
    // insert (before the commit).
    for (int killAt : {1, 2, 16, 31}) {
        SCOPED_TRACE(killAt);
        EXPECT_EQ(runChild(killAt), killAt);
        EXPECT_EQ(staff(), before);
    }
    // Left to finish, the same registration replaces the class.
    EXPECT_EQ(runChild(0), 31);
    const auto after = staff();
    ASSERT_EQ(after.size(), 30);
    for (const auto &[code, name] : after) EXPECT_EQ(name, QStringLiteral("新") + code);
}

}  // namespace
