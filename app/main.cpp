// PrjTqen: the daily report book.
//
//   PrjTqen                      starts the program
//   PrjTqen --screenshot FILE    starts it, saves a picture of the main
//                                screen to FILE (PNG) and ends
#include "app/TqenMain.h"
#include "hints/HintMenu.h"
#include "platform/forms/Fonts.h"

#include <QApplication>
#include <QPixmap>
#include <QTimer>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("PrjTqen"));
    tqen::forms::InstallFontSubstitutions();
    tqen::hints::HintMenu::install();
    QString screenshot;
    const QStringList args = QApplication::arguments();
    const qsizetype at = args.indexOf(QStringLiteral("--screenshot"));
    if (at >= 0 && at + 1 < args.size()) screenshot = args[at + 1];

    tqen::TqenMain main;
    main.Form_Load();
    if (!screenshot.isEmpty()) {
        QTimer::singleShot(300, &main, [&main, screenshot] {
            const bool saved = main.grab().save(screenshot, "PNG");
            QApplication::exit(saved ? 0 : 1);
        });
    }
    return app.exec();
}
