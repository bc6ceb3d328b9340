// One program of a race on the shared data database, driven line by line:
//   tqen_race_child APP-FOLDER [PAUSE-MS]
// With PAUSE-MS a registration waits that long between looking up the report
// or customer and writing it, so that two programs meet in that gap. It loads the main screen on the program folder (whose settings name the
// data database) and then, for each line read:
//   report yyyymmdd CUSTOMER STAFF TITLE  registers a report with the button
//   code NAME                             adds a staff name to the code table
//   confirm yyyymmdd CUSTOMER STAFF WHO   reads the report and confirms it with Ctrl+K's button
// and answers "ok", "present" or "error <what the user was shown>".
#include "app/ConfirmationPanel.h"
#include "app/EntryPanel.h"
#include "app/TqenMain.h"
#include "core/ModTqen.h"
#include "model/Schema.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/DateBox.h"
#include "platform/forms/ScriptedInteraction.h"
#include "platform/forms/TextBox.h"
#include "tests/support/Child.h"

#include <QApplication>
#include <QPushButton>
#include <QComboBox>
#include <QThread>
#include <QTimer>

#include <cstdlib>

#include <cstdio>
#include <iostream>
#include <string>

using namespace tqen;

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) return 2;
    model::schema::useSchemaOnServers();  // as the program's start-up does
    forms::ScriptedInteraction script;  // every box answered by its default button
    forms::ScopedInteraction scope(&script);
    if (argc > 2) {
        const int pause = std::atoi(argv[2]);
        EntryPanel::setLookupObserver([pause] { QThread::msleep(pause); });
    }
    TqenMain main(QString::fromLocal8Bit(argv[1]));
    main.Form_Load();
    if (!script.shown.isEmpty()) {
        std::printf("error %s\n", qPrintable(script.shown.first().prompt.simplified()));
        return 3;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    std::string line;
    while (std::getline(std::cin, line)) {
        const QStringList w = QString::fromStdString(line).split(u' ');
        QString answer = QStringLiteral("ok");
        if (w.value(0) == u"report" && w.size() == 5) {
            script.shown.clear();
            tqen::testing::child<forms::DateBox>(&main, "txt日付")->setValue(w[1]);
            tqen::testing::child<forms::ComboBox>(&main, "cmb顧客名")->setText(w[2]);
            tqen::testing::child<forms::ComboBox>(&main, "cmb担当")->setText(w[3]);
            tqen::testing::child<forms::TextBox>(&main, "txtタイトル")->setText(w[4]);
            tqen::testing::child<QPushButton>(&main, "cmd登録")->click();
            // The question and "registered" are all a good registration shows.
            if (script.shown.size() != 2 || !script.shown[1].prompt.contains(QStringLiteral("登録しました")))
                answer = QStringLiteral("error ") + (script.shown.isEmpty() ? QStringLiteral("nothing shown")
                                                                            : script.shown.last().prompt.simplified());
        } else if (w.value(0) == u"confirm" && w.size() == 5) {
            script.shown.clear();
            tqen::testing::child<forms::DateBox>(&main, "txt日付")->setValue(w[1]);
            tqen::testing::child<forms::ComboBox>(&main, "cmb顧客名")->setText(w[2]);
            tqen::testing::child<forms::ComboBox>(&main, "cmb担当")->setText(w[3]);
            main.entryPanel()->ReadNippo();
            bool answered = false;
            QTimer timer;
            QObject::connect(&timer, &QTimer::timeout, [&] {
                auto *d = main.findChild<ConfirmDialog *>(QStringLiteral("dlg確認"));
                if (!d || !d->isVisible() || answered) return;
                answered = true;
                d->confirmerBox()->setCurrentText(w[4]);
                d->accept();
            });
            timer.start(1);
            tqen::testing::child<QPushButton>(&main, "cmd確認")->click();
            if (!answered) answer = QStringLiteral("error no dialog");
            else if (!script.shown.isEmpty()) answer = QStringLiteral("error ") + script.shown.last().prompt.simplified();
        } else if (w.value(0) == u"code" && w.size() == 2) {
            const Error e = ModTqen::AddCodeName(main.session().dataDbPath, QStringLiteral("担当"), w[1]);
            if (e.code() == Error::Code::AlreadyPresent) answer = QStringLiteral("present");
            else if (!e.ok()) answer = QStringLiteral("error ") + e.message().simplified();
        } else {
            answer = QStringLiteral("error unknown command");
        }
        std::printf("%s\n", qPrintable(answer));
        std::fflush(stdout);
    }
    return 0;
}
