// PrjTqen: the daily report book.
#include "app/TqenMain.h"
#include "core/ProgramFolders.h"
#include "core/WindowsDataImport.h"
#include "hints/HintMenu.h"
#include "maintenance/FolderBackup.h"
#include "platform/files/Files.h"
#include "platform/dao/Server.h"
#include "platform/forms/Desktop.h"
#include "platform/forms/Fonts.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QPixmap>
#include <QTextStream>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

// --copy-data FROM TO: the whole data database from a file to a server or
// back, in one transaction; prints the rows of each table. Needs no screen.
int copyDataCommand(const QStringList &args) {
    if (args.size() != 2) {
        std::fprintf(stderr, "--copy-data takes two places: FROM TO (a data file or a postgresql:// URI)\n");
        return 2;
    }
    QList<tqen::dao::TableCopy> counts;
    const tqen::Error e = tqen::dao::copyData(args[0], args[1], &counts);
    if (!e.ok()) {
        std::fprintf(stderr, "%s\nコピー先は元のままです。\n", qPrintable(e.message()));
        return 1;
    }
    for (const tqen::dao::TableCopy &c : counts)
        std::printf("%s: %lld 件を読み、コピー先に %lld 件\n", qPrintable(c.table), c.read, c.stored);
    std::printf("%s から %s へコピーしました。\n", qPrintable(args[0]), qPrintable(args[1]));
    return 0;
}

bool wantsCopyData(int argc, char **argv) {
    for (int i = 1; i < argc; ++i)
        if (qstrcmp(argv[i], "--copy-data") == 0) return true;
    return false;
}

}  // namespace

int main(int argc, char **argv) {
    // The copy runs without a screen (a server room, a script).
    std::unique_ptr<QCoreApplication> console;
    if (wantsCopyData(argc, argv)) console = std::make_unique<QCoreApplication>(argc, argv);
    std::unique_ptr<QApplication> gui;
    if (!console) gui = std::make_unique<QApplication>(argc, argv);
    QCoreApplication &app = *QCoreApplication::instance();
    QCoreApplication::setApplicationName(QStringLiteral("PrjTqen"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.10"));

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
    const QCommandLineOption copyData(
        QStringLiteral("copy-data"),
        QStringLiteral("Copy every row of the data database from FROM to TO (a data file or a postgresql:// URI) "
                       "in one transaction, print the counts and end. TO's tables are emptied first."));
    parser.addOption(copyData);
    parser.addPositionalArgument(QStringLiteral("FROM TO"), QStringLiteral("With --copy-data: where to copy from and to."));
    parser.process(app);
    if (parser.isSet(copyData)) return copyDataCommand(parser.positionalArguments());

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
    // Qt's own dialogs and menus in Japanese; the windows belong to the
    // desktop entry "tqen", carry its icon and keep their places (not with
    // --screenshot, whose picture is the designed size).
    tqen::forms::installQtTranslation();
    tqen::forms::setDesktopIdentity(QStringLiteral("tqen"), tqen::forms::programIcon());
    if (!parser.isSet(screenshot)) tqen::forms::rememberWindowPlaces(tqen::forms::windowPlacesFile());
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
            QCoreApplication::exit(saved ? 0 : 1);
        });
    }
    return app.exec();
}
