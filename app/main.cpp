// PrjTqen: the daily report book.
#include "app/TqenMain.h"
#include "core/ProgramFolders.h"
#include "core/WindowsDataImport.h"
#include "hints/HintMenu.h"
#include "maintenance/FolderBackup.h"
#include "platform/files/Files.h"
#include "platform/forms/Fonts.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QPixmap>
#include <QTextStream>
#include <QTimer>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("PrjTqen"));
    QApplication::setApplicationVersion(QStringLiteral("1.10"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("TqEn 営業日報: a book of sales daily reports"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"),
        QStringLiteral("Start, save a picture of the main screen to <file> (PNG) and end."), QStringLiteral("file"));
    parser.addOption(screenshot);
    const QCommandLineOption import(
        QStringLiteral("import"),
        QStringLiteral("Convert a data file of the Windows program (<file>, an Access .mdb) into a new data file beside it "
                       "(…-converted.mdb), print a summary and use the new file as the data file."),
        QStringLiteral("file"));
    parser.addOption(import);
    parser.process(app);

    if (parser.isSet(import)) {
        QTextStream out(stdout), err(stderr);
        tqen::Error error;
        const tqen::ProgramFolders folders = tqen::ResolveProgramFolders(tqen::files::applicationFolder(), &error);
        if (!error.ok()) {
            err << error.message() << Qt::endl;
            return 1;
        }
        return tqen::RunImportCommand(parser.value(import), folders.data, out, err);
    }

    tqen::forms::InstallFontSubstitutions();
    // Every control of every form offers "ヒントを編集" and shows its hint.
    tqen::hints::HintMenu::install();
    tqen::TqenMain main;
    main.Form_Load();
    // The daily backup to a folder, when it is switched on and due.
    if (!parser.isSet(screenshot)) tqen::maintenance::FolderBackup::atStart(&main);
    if (parser.isSet(screenshot)) {
        const QString file = parser.value(screenshot);
        QTimer::singleShot(300, &main, [&main, file] {
            const bool saved = main.grab().save(file, "PNG");
            QApplication::exit(saved ? 0 : 1);
        });
    }
    return app.exec();
}
