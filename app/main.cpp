// PrjTqen: the daily report book.
#include "app/TqenMain.h"
#include "core/ProgramFolders.h"
#include "core/WindowsDataImport.h"
#include "hints/HintMenu.h"
#include "maintenance/FolderBackup.h"
#include "model/DataCopy.h"
#include "model/Confirmations.h"
#include "model/DeletedReports.h"
#include "model/MemoTemplates.h"
#include "model/NextSteps.h"
#include "model/Schema.h"
#include "platform/files/Files.h"
#include "platform/dao/Server.h"
#include "platform/forms/Desktop.h"
#include "platform/forms/Fonts.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QPixmap>
#include <QTextStream>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

// --copy-data FROM TO: the whole data database from a file to a server or
// back, in one transaction; prints the rows of each table. Needs no screen.
// Reports that a server would hold as one stop the copy with their list,
// unless --merge-duplicates joins them.
int copyDataCommand(const QStringList &args, bool mergeDuplicates) {
    if (args.size() != 2) {
        std::fprintf(stderr, "--copy-data takes two places: FROM TO (a data file or a postgresql:// URI)\n");
        return 2;
    }
    tqen::model::CopyOptions options;
    options.mergeDuplicates = mergeDuplicates;
    options.addedTables = {tqen::model::DeletedReports::definition(), tqen::model::NextSteps::definition(),
                           tqen::model::MemoTemplates::definition(), tqen::model::Confirmations::definition()};
    tqen::model::CopyOutcome outcome;
    const tqen::Error e = tqen::model::copyData(args[0], args[1], options, &outcome);
    if (!e.ok()) {
        std::fprintf(stderr, "%s\nコピー先は元のままです。\n", qPrintable(tqen::dao::maskPasswords(e.message())));
        if (!mergeDuplicates && !outcome.duplicates.isEmpty()) {
            std::fprintf(stderr, "\n日付・顧客名・担当が同じ営業日報 (日付, 顧客名, 担当, 件数):\n");
            const auto text = [](const QVariant &v) {
                if (v.isNull()) return QStringLiteral("(なし)");
                return v.metaType().id() == QMetaType::QDate ? v.toDate().toString(QStringLiteral("yyyy/MM/dd")) : v.toString();
            };
            for (const tqen::model::ReportGroup &g : std::as_const(outcome.duplicates))
                std::fprintf(stderr, "%s, %s, %s, %lld\n", qPrintable(text(g.day)), qPrintable(text(g.customer)),
                             qPrintable(text(g.staff)), g.count);
            std::fprintf(stderr, "\n1 組を 1 件にまとめて (タイトルとメモは行を分けてつなぎます) コピーするには "
                                 "--merge-duplicates を付けてください。\n");
        }
        return 1;
    }
    for (const tqen::model::TableCopy &c : std::as_const(outcome.counts))
        std::printf("%s: %lld 件を読み、コピー先に %lld 件\n", qPrintable(c.table), c.read, c.stored);
    if (!outcome.duplicates.isEmpty()) {
        qlonglong rows = 0;
        for (const tqen::model::ReportGroup &g : std::as_const(outcome.duplicates)) rows += g.count;
        std::printf("日付・顧客名・担当が同じ営業日報 %lld 組 (%lld 件) を 1 組 1 件にまとめ、"
                    "タイトルとメモは行を分けてつなぎました。\n",
                    qlonglong(outcome.duplicates.size()), rows);
    }
    std::printf("%s から %s へコピーしました。\n", qPrintable(tqen::dao::withoutPassword(args[0])),
                qPrintable(tqen::dao::withoutPassword(args[1])));
    return 0;
}

// What --help prints: each use of the program on a line of its own with what
// it does, in the program's own language; option names stay as typed.
QString usageText(const QString &program) {
    const struct Use {
        const char *line;
        const char *what;
    } uses[] = {
        {"", "営業日報の画面を開きます。"},
        {" --screenshot FILE", "メイン画面を開き、その画像を FILE (PNG) に保存して終わります。"},
        {" --import FILE", "Windows版のデータファイル FILE (.mdb) を隣の …-converted.mdb に変換し、データファイルとして使います。"},
        {" --copy-data FROM TO", "データベースの全行を FROM から TO (データファイルまたは postgresql:// の URI) へ一つのトランザクションでコピーし、件数を表示します。TO の表は先に空にします。"},
        {" --copy-data --merge-duplicates FROM TO", "サーバーへのコピーで、日付・顧客・担当が同じ日報を一件にまとめ、タイトルとメモをつなげます (これがないと、そうした日報があればその一覧を表示して何もコピーしません)。"},
        {" --help", "この使い方を表示します。"},
        {" --version", "版を表示します。"},
    };
    QString out = QStringLiteral("使い方:\n");
    for (const Use &u : uses) {
        out += QStringLiteral("  ") + program + QString::fromUtf8(u.line) + u'\n';
        out += QStringLiteral("      ") + QString::fromUtf8(u.what) + u'\n';
    }
    out += QStringLiteral("\nサーバーのパスワードは ~/.pgpass から読むか、その場で尋ねます。アドレスにパスワードを書くことはできません。\n");
    return out;
}

// The copy, the usage and the version need no screen (a server room, a
// script, a terminal without a display).
bool needsNoScreen(int argc, char **argv) {
    for (int i = 1; i < argc; ++i)
        for (const char *o : {"--copy-data", "--help", "-h", "--version", "-v"})
            if (qstrcmp(argv[i], o) == 0) return true;
    return false;
}

}  // namespace

int main(int argc, char **argv) {
    std::unique_ptr<QCoreApplication> console;
    if (needsNoScreen(argc, argv)) console = std::make_unique<QCoreApplication>(argc, argv);
    std::unique_ptr<QApplication> gui;
    if (!console) gui = std::make_unique<QApplication>(argc, argv);
    QCoreApplication &app = *QCoreApplication::instance();
    QCoreApplication::setApplicationName(QStringLiteral("PrjTqen"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.10"));
    // A data database on a server gets its tables as the program defines them.
    tqen::model::schema::useSchemaOnServers();

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("TqEn 営業日報: a book of sales daily reports"));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("この使い方を表示します。"));
    parser.addOption(help);
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
    const QCommandLineOption mergeDuplicates(
        QStringLiteral("merge-duplicates"),
        QStringLiteral("With --copy-data to a server: reports of FROM that share their day, customer and staff member "
                       "become one report each, their titles and memos joined line by line (without it such reports "
                       "stop the copy with their list)."));
    parser.addOption(mergeDuplicates);
    parser.addPositionalArgument(QStringLiteral("FROM TO"), QStringLiteral("With --copy-data: where to copy from and to."));
    parser.process(app);
    if (parser.isSet(help)) {
        const QString program = QFileInfo(QString::fromLocal8Bit(argv[0])).fileName();
        std::fputs(qPrintable(usageText(program)), stdout);
        return 0;
    }
    if (parser.isSet(copyData)) return copyDataCommand(parser.positionalArguments(), parser.isSet(mergeDuplicates));

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
