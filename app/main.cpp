// PrjTqen: the daily report book.
#include "app/TqenMain.h"
#include "platform/forms/Fonts.h"

#include <QApplication>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("PrjTqen"));
    tqen::forms::InstallFontSubstitutions();
    tqen::TqenMain main;
    main.Form_Load();
    return app.exec();
}
