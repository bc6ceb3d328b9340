// tqen-helpshots OUTPUT_FOLDER
// tqen-helpshots --list          the names of the pictures it makes
//
// Opens every screen of the program over a copy of the delivered data files
// (bin/data beside this tool) with a few sample reports, customers, staff
// names and a hint, and saves a picture of each into OUTPUT_FOLDER, named as
// the help pages use them. Screens are opened the way the office worker
// opens them: through the main screen's buttons. A screen whose button is
// still disabled is skipped with a note. Meant for the offscreen platform.
#include "app/TqenMain.h"
#include "model/Session.h"
#include "core/ModTqen.h"
#include "hints/Hint.h"
#include "platform/dao/Dao.h"
#include "platform/files/Files.h"
#include "platform/forms/Fonts.h"
#include "platform/forms/Form.h"
#include "platform/forms/ScriptedInteraction.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextStream>
#include <QWidget>

#include <cstdio>

using namespace tqen;

namespace {

QTextStream err(stderr);

// Every picture this tool makes: the help pages show exactly these.
const char *const kPictures[] = {"main.png", "index.png", "search.png", "print.png", "list.png", "codemaster.png",
                                 "hosyu-settings.png", "hosyu-data.png", "hosyu-folder.png", "hosyu-customers.png",
                                 "hosyu-delete.png", "hint.png"};

void settle() {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

// Pictures go out as 8-bit palette images: the screens use few colours, and
// the help pages stay small.
bool save(QWidget *w, const QString &folder, const QString &name) {
    settle();
    const QImage shot = w->grab().toImage().convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
    const QString path = folder + QLatin1Char('/') + name;
    if (!shot.save(path, "PNG", 0)) {  // 0: the strongest PNG compression
        err << "cannot write " << path << Qt::endl;
        return false;
    }
    err << path << "  " << shot.width() << "x" << shot.height() << Qt::endl;
    return true;
}

template <class T>
T *childNamed(QWidget *in, const char *name) {
    return in->findChild<T *>(QString::fromUtf8(name));
}

bool exec(const QString &path, const QString &sql) {
    auto db = dao::Database::open(path);
    if (db.execute(sql)) return true;
    err << "sample data: " << db.error() << Qt::endl;
    return false;
}

// A few reports this month, customers with readings, two staff names and a
// hint: enough for every screen to show what it is for.
bool addSamples(const QString &data, const QString &work) {
    const QDate today = QDate::currentDate();
    const QDate first(today.year(), today.month(), 1);
    struct Customer { const char *name, *reading, *staff; };
    const Customer customers[] = {
        {"青葉商事株式会社", "あおばしょうじ", "山田 太郎"},
        {"有限会社 朝日工業", "あさひこうぎょう", "山田 太郎"},
        {"いろは物産", "いろはぶっさん", "佐藤 花子"},
        {"桜木建設株式会社", "さくらぎけんせつ", "佐藤 花子"},
        {"東西ストア 南町店", "とうざいすとあ", "山田 太郎"},
    };
    struct Report { int day; int customer; const char *title, *memo; };
    const Report reports[] = {
        {2, 0, "新製品の説明", "カタログを届け、来月の見積りを約束した。"},
        {5, 1, "定期訪問", "在庫の確認。追加注文なし。"},
        {9, 0, "見積りの提出", "見積書を提出。担当の田中様が社内で検討。"},
        {9, 2, "納品の立ち会い", "午後に納品、検収済み。"},
        {16, 3, "工事の打合せ", "工程表の確認。次回は現場で。"},
        {23, 0, "受注", "正式に注文をいただいた。納期は月末。"},
        {0, 0, "納期の打合せ", "納品は25日午前に決定。\n搬入口と駐車場所を確認済み。\n次回：請求書の送付先を確認する。"},
    };
    for (const char *staff : {"山田 太郎", "佐藤 花子"}) {
        if (const Error e = ModTqen::AddCodeName(data, QStringLiteral("担当"), QString::fromUtf8(staff)); !e.ok()) {
            err << "sample staff: " << e.message() << Qt::endl;
            return false;
        }
    }
    for (const Customer &c : customers) {
        if (!exec(data, QStringLiteral("insert into 顧客マスタ (名称, ふりがな, 担当) values (%1, %2, %3)")
                            .arg(dao::sqlText(QString::fromUtf8(c.name)), dao::sqlText(QString::fromUtf8(c.reading)),
                                 dao::sqlText(QString::fromUtf8(c.staff)))))
            return false;
    }
    for (const Report &r : reports) {
        const Customer &c = customers[r.customer];
        // Day 0 is today: the main screen opens on it.
        const QDate day = r.day == 0 ? today : first.addDays(std::min(r.day, first.daysInMonth()) - 1);
        if (!exec(data, QStringLiteral("insert into 営業日報 (日付, 顧客名, ふりがな, タイトル, 担当, メモ) "
                                       "values (%1, %2, %3, %4, %5, %6)")
                            .arg(dao::sqlDate(day), dao::sqlText(QString::fromUtf8(c.name)),
                                 dao::sqlText(QString::fromUtf8(c.reading)), dao::sqlText(QString::fromUtf8(r.title)),
                                 dao::sqlText(QString::fromUtf8(c.staff)), dao::sqlText(QString::fromUtf8(r.memo)))))
            return false;
    }
    if (!exec(data, QStringLiteral("insert into TqHint (FormName, CtlName, FormTitle, Contents) values "
                                   "('TqenMain', 'cmd登録', '営業日報', %1)")
                        .arg(dao::sqlText(QStringLiteral("入力した日報を登録します。\n同じ日・顧客・担当の日報があれば書き換えます。")))))
        return false;
    // The main screen starts on the last registered staff member and customer,
    // in the date style a new program has (western).
    Settings env = Settings::read(work);
    env.担当 = QString::fromUtf8(customers[0].staff);
    env.顧客名 = QString::fromUtf8(customers[0].name);
    env.ふりがな = QString::fromUtf8(customers[0].reading);
    if (const Error e = env.write(work, Settings::IfNoRow::Create); !e.ok()) {
        err << "sample settings: " << e.message() << Qt::endl;
        return false;
    }
    return true;
}

// Shows the tab of that caption (mnemonics aside); false when there is none.
bool showTab(QTabWidget *tabs, const QString &caption) {
    for (int i = 0; i < tabs->count(); ++i) {
        if (tabs->tabText(i).remove(QLatin1Char('&')).startsWith(caption)) {
            tabs->setCurrentIndex(i);
            return true;
        }
    }
    return false;
}

// Clicks a button of the main screen and gives back the form it opened.
forms::Form *openThrough(TqenMain &main, const char *button, const char *form) {
    auto *b = childNamed<QPushButton>(&main, button);
    if (!b || !b->isEnabled()) return nullptr;
    b->click();
    settle();
    return forms::findForm(QString::fromUtf8(form));
}

}  // namespace

int main(int argc, char **argv) {
    if (argc == 2 && qstrcmp(argv[1], "--list") == 0) {
        for (const char *name : kPictures) std::printf("%s\n", name);
        return 0;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("PrjTqen"));
    if (argc != 2) {
        err << "usage: tqen-helpshots OUTPUT_FOLDER | --list" << Qt::endl;
        return 2;
    }
    const QString out = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QDir().mkpath(out);

    // A program folder of its own: the delivered data, a private registry
    // and drive table, so nothing of the user's is touched.
    QTemporaryDir tmp;
    const QString folder = tmp.filePath(QStringLiteral("app"));
    const QString delivered = files::applicationFolder() + QStringLiteral("/data/");
    files::makeFolder(folder + QStringLiteral("/data"));
    files::makeFolder(tmp.filePath(QStringLiteral("c")));
    for (const char *name : {"TqenData.mdb", "TqenWork.mdb"}) {
        const Error e = files::copyFile(delivered + QString::fromUtf8(name), folder + QStringLiteral("/data/") + QString::fromUtf8(name));
        if (!e.ok()) {
            err << e.text() << Qt::endl;
            return 1;
        }
    }
    // A: as an office names its floppy drive, so 保守 shows where it goes.
    files::writeFile(tmp.filePath(QStringLiteral("drives.conf")),
                     "C=" + tmp.filePath(QStringLiteral("c")).toUtf8() + "\nA=/media/floppy\n");
    qputenv("TQEN_DRIVES", tmp.filePath(QStringLiteral("drives.conf")).toUtf8());
    qputenv("TQEN_COM_REGISTRY", tmp.filePath(QStringLiteral("registry.json")).toUtf8());
    forms::ScriptedInteraction script;
    forms::ScopedInteraction scoped(&script);

    forms::InstallFontSubstitutions();
    if (!addSamples(folder + QStringLiteral("/data/TqenData.mdb"), folder + QStringLiteral("/data/TqenWork.mdb"))) return 1;

    bool ok = true;
    TqenMain main(folder);
    main.Form_Load();
    settle();
    ok &= save(&main, out, QStringLiteral("main.png"));

    // The kana index with the customers under "あ".
    if (auto *tabs = childNamed<QTabWidget>(&main, "SSTab1")) {
        const int entry = tabs->currentIndex();
        showTab(tabs, QStringLiteral("顧客インデックス"));
        if (auto *a = childNamed<QPushButton>(&main, "cmd50_0")) a->click();
        ok &= save(&main, out, QStringLiteral("index.png"));
        // The search tab with the reports that hold "見積".
        if (showTab(tabs, QStringLiteral("検索"))) {
            if (auto *term = childNamed<QLineEdit>(&main, "txt検索")) term->setText(QStringLiteral("見積"));
            if (auto *find = childNamed<QPushButton>(&main, "cmd検索")) find->click();
            ok &= save(&main, out, QStringLiteral("search.png"));
        } else {
            err << "the main screen has no search tab" << Qt::endl;
            ok = false;
        }
        tabs->setCurrentIndex(entry);
    }

    // The print conditions over the main screen.
    if (auto *print = childNamed<QPushButton>(&main, "cmd印刷"); print && print->isEnabled()) {
        print->click();
        ok &= save(&main, out, QStringLiteral("print.png"));
        if (auto *close = childNamed<QPushButton>(&main, "cmd印刷条件閉じる")) close->click();
    }

    if (forms::Form *list = openThrough(main, "Command3", "FrmNippoList")) {
        ok &= save(list, out, QStringLiteral("list.png"));
        list->close();
    } else {
        err << "note: the report list cannot be opened from the main screen yet; list.png is left as it is" << Qt::endl;
    }

    if (forms::Form *codes = openThrough(main, "Command5", "FrmCodeMaster")) {
        ok &= save(codes, out, QStringLiteral("codemaster.png"));
        codes->close();
    } else {
        err << "the code table did not open" << Qt::endl;
        ok = false;
    }

    if (forms::Form *hosyu = openThrough(main, "Command11", "FrmHosyu")) {
        const struct { const char *tab, *picture; } pages[] = {
            {"設定", "hosyu-settings.png"},
            {"データ保守", "hosyu-data.png"},
            {"フォルダに保存", "hosyu-folder.png"},
            {"顧客情報", "hosyu-customers.png"},
            {"データ削除", "hosyu-delete.png"},
        };
        auto *tabs = childNamed<QTabWidget>(hosyu, "SSTab");
        for (const auto &p : pages) {
            if (!tabs || !showTab(tabs, QString::fromUtf8(p.tab))) {
                err << "the maintenance form has no tab " << p.tab << Qt::endl;
                ok = false;
                continue;
            }
            ok &= save(hosyu, out, QString::fromUtf8(p.picture));
        }
        hosyu->close();
    } else {
        err << "the maintenance form did not open" << Qt::endl;
        ok = false;
    }

    if (Hint *hint = Hint::Open(main.session(), QStringLiteral("TqenMain"), QStringLiteral("cmd登録"), QStringLiteral("営業日報"))) {
        ok &= save(hint, out, QStringLiteral("hint.png"));
        hint->close();
    }

    for (const auto &box : script.shown) {
        err << "unexpected message: " << box.prompt << Qt::endl;
        ok = false;
    }
    main.close();
    settle();
    return ok ? 0 : 1;
}
