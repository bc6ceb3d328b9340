// Runs one registration of the code table form on the given files:
//   tqen_codemaster_child WORK.mdb DATA.mdb
// It loads the class "担当", gives every line the name "新" + code, and
// registers. After each statement of the registration it writes "step N" and
// waits for a line on its input, so that its parent can kill it there.
#include "codemaster/FrmCodeMaster.h"
#include "model/Session.h"
#include "platform/dao/Dao.h"

#include <QApplication>

#include <cstdio>
#include <iostream>
#include <string>

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 3) return 2;
    tqen::model::Session session;
    session.workDbPath = QString::fromLocal8Bit(argv[1]);
    session.dataDbPath = QString::fromLocal8Bit(argv[2]);
    tqen::FrmCodeMaster form(session);
    form.Form_Load();
    {
        auto work = tqen::dao::Database::open(session.workDbPath);
        if (!work.execute(QStringLiteral("update wコードマスタ set sname = '新' & code"))) return 3;
    }
    tqen::FrmCodeMaster::setRegistrationObserver([](int step) {
        std::printf("step %d\n", step);
        std::fflush(stdout);
        std::string line;
        std::getline(std::cin, line);
    });
    const tqen::Error e = form.RegisterCodeClass(false);
    std::printf("%s\n", e.ok() ? "done" : "failed");
    std::fflush(stdout);
    return e.ok() ? 0 : 1;
}
