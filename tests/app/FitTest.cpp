// The program on today's screens, themes and desktops: every form fits a
// notebook's screen at every scale with nothing cut, text stays readable
// under a dark palette, a registered date style shows at once, the keys of
// each form work, Qt speaks Japanese and windows keep their places.
#include "tests/app/MainScreenFixture.h"

#include "hints/Hint.h"
#include "platform/com/OleColor.h"
#include "platform/forms/Contrast.h"
#include "platform/forms/DateBox.h"
#include "platform/forms/Desktop.h"
#include "platform/forms/Form.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTranslator>

namespace tqen::testing {
namespace {

// The scale the run was started with (QT_SCALE_FACTOR; 1 without), and a
// font resolution other than 96 dpi (QT_FONT_DPI).
QString scaleName() {
    const QString f = qEnvironmentVariable("QT_SCALE_FACTOR");
    const QString dpi = qEnvironmentVariable("QT_FONT_DPI");
    return (f.isEmpty() ? QStringLiteral("1") : f) + (dpi.isEmpty() ? QString() : QStringLiteral("-font%1dpi").arg(dpi));
}

// What of a form does not fit: controls outside the window, texts cut.
QStringList misfits(QWidget *form) {
    QStringList out;
    const QRect window = form->rect();
    for (QWidget *w : form->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(form) || w->window() != form) continue;
        const QRect r(w->mapTo(form, QPoint(0, 0)), w->size());
        if (!window.contains(r)) out << QStringLiteral("%1 outside (%2,%3 %4×%5)").arg(w->objectName()).arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
        // Nor cut by its parent (the viewports of lists and grids scroll).
        QWidget *parent = w->parentWidget();
        const bool scrolled = parent && parent->parentWidget() && qobject_cast<QAbstractScrollArea *>(parent->parentWidget());
        if (parent && parent != form && !scrolled && !parent->rect().contains(w->geometry()))
            out << QStringLiteral("%1 cut by %2").arg(w->objectName(), parent->objectName());
        if (auto *l = qobject_cast<QLabel *>(w); l && !l->text().isEmpty() && l->pixmap().isNull()) {
            const QSize hint = l->sizeHint();
            const bool cut = l->wordWrap() ? l->heightForWidth(l->width()) > l->height()
                                           : hint.width() > l->width() || hint.height() > l->height();
            if (cut) out << QStringLiteral("label %1 \"%2\" cut: needs %3×%4, has %5×%6").arg(l->objectName(), l->text()).arg(hint.width()).arg(hint.height()).arg(l->width()).arg(l->height());
        }
        if (auto *b = qobject_cast<QAbstractButton *>(w); b && !b->text().isEmpty()) {
            QString shown = b->text();
            shown.remove(QLatin1Char('&'));
            const int needs = b->fontMetrics().horizontalAdvance(shown) + (b->icon().isNull() ? 0 : b->iconSize().width() + 4);
            if (needs > b->width() - 4) out << QStringLiteral("button %1 \"%2\" cut: needs %3, has %4").arg(b->objectName(), b->text()).arg(needs).arg(b->width());
        }
    }
    return out;
}

void keepPicture(QWidget *form, const QString &name) {
    const QString folder = qEnvironmentVariable("TQEN_BINARY_DIR") + QStringLiteral("/test-output/fit");
    QDir().mkpath(folder);
    form->grab().save(folder + QStringLiteral("/%1-scale%2.png").arg(name, scaleName()));
}

class Fit : public MainScreenFixture {
protected:
    void SetUp() override {
        MainScreenFixture::SetUp();
        load();
    }
    void TearDown() override {
        for (forms::Form *f : forms::openForms())
            if (f != main.get()) f->unload();
        forms::DoEvents();
        QApplication::setPalette(QApplication::style()->standardPalette());
        MainScreenFixture::TearDown();
    }
    forms::Form *openByButton(const char *button, const char *form) {
        child<QPushButton>(main.get(), QString::fromUtf8(button))->click();
        forms::DoEvents();
        return forms::findForm(QString::fromUtf8(form));
    }
    // Presses a key on the form's focused control (or the form).
    static void press(QWidget *form, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget *to = form->focusWidget() ? form->focusWidget() : form;
        QTest::keyClick(to, Qt::Key(key), modifiers);
        forms::DoEvents();
    }
};

// Each form at the sizes of today's screens (free space after the panel),
// with every tab in front in turn: it fits, and nothing is cut.
TEST_F(Fit, EveryFormFitsTheScreensWithNothingCut) {
    struct Case {
        const char *form;
        std::function<forms::Form *()> open;
    };
    const QList<Case> forms = {
        {"TqenMain", [this] { return static_cast<forms::Form *>(main.get()); }},
        {"FrmNippoList", [this] { return openByButton("Command3", "FrmNippoList"); }},
        {"FrmCodeMaster", [this] { return openByButton("Command5", "FrmCodeMaster"); }},
        {"FrmHosyu", [this] { return openByButton("Command11", "FrmHosyu"); }},
        {"Hint", [this] { return static_cast<forms::Form *>(Hint::Open(session, QStringLiteral("TqenMain"), QStringLiteral("cmd登録"), QStringLiteral("営業日報"))); }},
    };
    const struct Screen {
        const char *name;
        QSize free;
    } screens[] = {{"1280x680", {1280, 680}}, {"1366x720", {1366, 720}}, {"designed", {}}};
    for (const Case &c : forms) {
        forms::Form *form = c.open();
        ASSERT_NE(form, nullptr) << c.form;
        const QSize designed = form->size();
        QList<QTabWidget *> tabs = form->findChildren<QTabWidget *>();
        for (const Screen &s : screens) {
            if (s.free.isValid()) {
                form->resize(designed);
                forms::fitInto(form, QRect(QPoint(0, 0), s.free));
            } else {
                form->resize(designed);
            }
            const int pages = tabs.isEmpty() ? 1 : tabs.first()->count();
            for (int page = 0; page < pages; ++page) {
                if (!tabs.isEmpty()) tabs.first()->setCurrentIndex(page);
                if (form->layout()) form->layout()->activate();
                forms::DoEvents();
                const QString name = QStringLiteral("%1-%2%3").arg(QString::fromUtf8(c.form), QString::fromUtf8(s.name),
                                                                    tabs.isEmpty() ? QString() : QStringLiteral("-tab%1").arg(page));
                SCOPED_TRACE(name.toStdString());
                if (s.free.isValid()) {
                    EXPECT_LE(form->width(), s.free.width());
                    EXPECT_LE(form->height(), s.free.height());
                } else {
                    EXPECT_EQ(form->size(), designed);
                }
                EXPECT_EQ(misfits(form), QStringList());
                keepPicture(form, name);
            }
        }
    }
    // The check sees a cut label and a control pushed out of its window.
    auto *title = child<QLabel>(main.get(), QStringLiteral("LblCalendarTitle"));
    title->resize(8, 8);
    EXPECT_EQ(misfits(main.get()).size(), 1);
    child<QWidget>(main.get(), QStringLiteral("cmd閉じる"))->move(main->width() - 5, 0);
    EXPECT_EQ(misfits(main.get()).size(), 2);
}

// A larger window gives the room to the calendar's cells, and to the grid
// or text of the forms laid out in twips.
TEST_F(Fit, ALargerWindowGrowsTheCellsAndTheGrids) {
    QWidget *cell = child<QWidget>(main.get(), QStringLiteral("LblCald_10"));
    main->resize(1024, 740);
    forms::DoEvents();
    const QSize small = cell->size();
    main->resize(1366, 720 + 100);
    forms::DoEvents();
    EXPECT_GT(cell->width(), small.width());
    EXPECT_GT(cell->height(), small.height());

    const struct {
        const char *button, *form, *grown;
    } cases[] = {{"Command3", "FrmNippoList", "Grid日報一覧"}, {"Command5", "FrmCodeMaster", "Gridコードマスタ"}};
    for (const auto &c : cases) {
        forms::Form *form = openByButton(c.button, c.form);
        ASSERT_NE(form, nullptr);
        QWidget *grown = child<QWidget>(form, QString::fromUtf8(c.grown));
        QWidget *close = child<QWidget>(form, QStringLiteral("cmd閉じる"));
        const QSize designed = form->size();
        const QSize grid = grown->size();
        const QPoint closeAt = close->pos();
        form->resize(designed + QSize(200, 100));
        forms::DoEvents();
        EXPECT_EQ(grown->size(), grid + QSize(200, 100)) << c.form;
        EXPECT_EQ(close->pos().y(), closeAt.y() + 100) << c.form;
        form->resize(designed);
        forms::DoEvents();
        EXPECT_EQ(grown->size(), grid) << c.form;
        EXPECT_EQ(close->pos(), closeAt) << c.form;
    }
}

// Day numbers, weekday headings and the hint editor's mode button keep a
// contrast of 4.5:1 under a light and a dark palette; the marks stay navy,
// dark teal and yellow.
TEST_F(Fit, TextKeepsItsContrastUnderLightAndDarkPalettes) {
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xee));
    dark.setColor(QPalette::Base, QColor(0x2a, 0x2a, 0x2a));
    dark.setColor(QPalette::Text, QColor(0xee, 0xee, 0xee));
    dark.setColor(QPalette::Button, QColor(0x45, 0x45, 0x45));
    dark.setColor(QPalette::ButtonText, QColor(0xee, 0xee, 0xee));
    const struct {
        const char *name;
        QPalette palette;
    } palettes[] = {{"light", QApplication::style()->standardPalette()}, {"dark", dark}};

    const QDate today = QDate::currentDate();
    const QDate other = today.day() > 3 ? today.addDays(-2) : today.addDays(2);
    addReport(other, QStringLiteral("顧客A"), QStringLiteral("担当A"));
    addReport(other.addDays(1), QStringLiteral("顧客A"), QStringLiteral("担当A"));
    addReport(other.addDays(1), QStringLiteral("顧客B"), QStringLiteral("担当A"));
    Hint *hint = Hint::Open(session, QStringLiteral("TqenMain"), QStringLiteral("cmd登録"), QStringLiteral("営業日報"));
    for (const auto &p : palettes) {
        SCOPED_TRACE(p.name);
        QApplication::setPalette(p.palette);
        forms::DoEvents();
        child<QComboBox>(main.get(), QStringLiteral("cmb担当"))->setCurrentText(QString());
        child<QComboBox>(main.get(), QStringLiteral("cmb顧客名"))->setCurrentText(QString());
        showMonth(today);
        EXPECT_EQ(main->calendar()->cellBackColor(cellOf(other)), MonthCalendar::ColorMarked);
        EXPECT_EQ(main->calendar()->cellBackColor(cellOf(other.addDays(1))), MonthCalendar::ColorMarkedAgain);
        if (other.addDays(1) != today) {
            EXPECT_EQ(main->calendar()->cellBackColor(cellOf(today)), MonthCalendar::ColorToday);
        }
        for (int i = 0; i < main->calendar()->cellCount(); ++i) {
            if (!main->calendar()->cellDate(i).isValid()) continue;
            const QColor fore = com::translateColor(main->calendar()->cellForeColor(i));
            const QColor back = com::translateColor(main->calendar()->cellBackColor(i));
            EXPECT_GE(forms::contrastRatio(fore, back), forms::kReadableContrast)
                << "cell " << i << " " << fore.name().toStdString() << " on " << back.name().toStdString();
        }
        for (int i = 0; i < 7; ++i) {
            auto *heading = child<QLabel>(main.get(), QStringLiteral("lblWeek%1").arg(i));
            EXPECT_GE(forms::contrastRatio(heading->palette().color(QPalette::WindowText),
                                           main->palette().color(QPalette::Window)),
                      forms::kReadableContrast)
                << "weekday " << i;
        }
        for (int editing = 0; editing < 2; ++editing) {
            auto *edit = child<QPushButton>(hint, QStringLiteral("cmd編集"));
            edit->click();
            EXPECT_GE(forms::contrastRatio(edit->palette().color(QPalette::ButtonText),
                                           edit->palette().color(QPalette::Button)),
                      forms::kReadableContrast);
        }
        keepPicture(main.get(), QStringLiteral("TqenMain-palette-%1").arg(QString::fromUtf8(p.name)));
    }
}

// The contrast helper against the WCAG figures.
TEST(Contrast, RatiosAndReadableColours) {
    EXPECT_NEAR(forms::contrastRatio(Qt::black, Qt::white), 21.0, 0.01);
    EXPECT_NEAR(forms::contrastRatio(QColor(0x77, 0x77, 0x77), Qt::white), 4.48, 0.01);
    const struct {
        QColor wanted, background;
    } cases[] = {{Qt::red, Qt::white}, {Qt::red, QColor(0x35, 0x35, 0x35)}, {QColor(0, 0, 192), QColor(0x35, 0x35, 0x35)},
                 {Qt::black, QColor(0, 0, 128)}, {QColor(0x2a, 0x2a, 0x2a), QColor(0, 0, 128)}, {Qt::white, QColor(255, 255, 0xbe)}};
    for (const auto &c : cases) {
        const QColor readable = forms::readableOn(c.wanted, c.background);
        EXPECT_GE(forms::contrastRatio(readable, c.background), forms::kReadableContrast)
            << c.wanted.name().toStdString() << " on " << c.background.name().toStdString();
    }
    // A colour that reads already is kept.
    EXPECT_EQ(forms::readableOn(Qt::white, QColor(0, 0, 128)), QColor(Qt::white));
}

// 保守 registers 和暦: the main screen's date box, calendar title and a
// clicked day, and an open list, show era dates at once.
TEST_F(Fit, ARegisteredDateStyleShowsAtOnceOnEveryOpenForm) {
    forms::Form *list = openByButton("Command3", "FrmNippoList");
    ASSERT_NE(list, nullptr);
    forms::Form *hosyu = openByButton("Command11", "FrmHosyu");
    ASSERT_NE(hosyu, nullptr);
    auto *title = child<QLabel>(main.get(), QStringLiteral("LblCalendarTitle"));
    auto *date = child<forms::DateBox>(main.get(), QStringLiteral("txt日付"));
    auto *listStart = child<forms::DateBox>(list, QStringLiteral("txt開始"));
    listStart->setValue(QDate(2019, 5, 1));
    ASSERT_FALSE(title->text().contains(QStringLiteral("令和")));
    child<QComboBox>(hosyu, QStringLiteral("cmb年号"))->setCurrentText(QStringLiteral("和暦"));
    script.answer(forms::mb::IdYes);
    child<QPushButton>(hosyu, QStringLiteral("cmd登録"))->click();
    forms::DoEvents();
    EXPECT_TRUE(title->text().contains(QStringLiteral("令和"))) << title->text().toStdString();
    EXPECT_TRUE(date->Text().contains(QStringLiteral("令和"))) << date->Text().toStdString();
    EXPECT_TRUE(listStart->Text().contains(QStringLiteral("令和"))) << listStart->Text().toStdString();
    clickCell(cellOf(QDate::currentDate()));
    EXPECT_TRUE(date->Text().contains(QStringLiteral("令和"))) << date->Text().toStdString();
    // And back to western dates.
    child<QComboBox>(hosyu, QStringLiteral("cmb年号"))->setCurrentText(QStringLiteral("西暦"));
    script.answer(forms::mb::IdYes);
    child<QPushButton>(hosyu, QStringLiteral("cmd登録"))->click();
    forms::DoEvents();
    EXPECT_FALSE(title->text().contains(QStringLiteral("令和")));
    EXPECT_TRUE(title->text().startsWith(QString::number(QDate::currentDate().year()))) << title->text().toStdString();
}

// The main screen: F1 opens the help of the tab in front, Ctrl+F goes to
// the search, Alt and a button's underlined letter presses it.
TEST_F(Fit, TheMainScreensKeys) {
    main->activateWindow();
    QApplication::setActiveWindow(main.get());
    auto *tabs = child<QTabWidget>(main.get(), QStringLiteral("SSTab1"));
    tabs->setCurrentIndex(1);
    press(main.get(), Qt::Key_F1);
    ASSERT_FALSE(script.opened.isEmpty());
    EXPECT_TRUE(script.opened.last().endsWith(QStringLiteral("VoRadu1.htm")));
    tabs->setCurrentIndex(0);
    press(main.get(), Qt::Key_F1);
    EXPECT_TRUE(script.opened.last().endsWith(QStringLiteral("VoRadu5.htm")));
    tabs->setCurrentIndex(1);
    press(main.get(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(tabs->currentWidget()->objectName(), QStringLiteral("tab検索"));
    EXPECT_EQ(QApplication::focusWidget(), child<QLineEdit>(main.get(), QStringLiteral("txt検索")));

    // Each button's caption keeps its text with the key after it.
    const struct {
        const char *button, *caption;
    } captions[] = {{"cmd登録", "登録(&S)"}, {"cmd削除", "削除(&D)"}, {"cmdクリア", "クリア(&C)"}, {"cmd読込", "読込(&L)"},
                    {"cmd印刷", "印刷(&P)"}, {"Command3", "一覧(&I)"}, {"Command5", "コード表(&T)"},
                    {"Command11", "保守(&M)"}, {"cmdHint", "ヘルプ(&H)"}, {"cmd閉じる", "閉じる(&X)"}};
    for (const auto &c : captions) {
        auto *b = child<QPushButton>(main.get(), QString::fromUtf8(c.button));
        EXPECT_EQ(b->text(), QString::fromUtf8(c.caption));
        EXPECT_FALSE(b->accessibleName().contains(QLatin1Char('&'))) << c.button;
    }
    tabs->setCurrentIndex(1);
    child<QWidget>(main.get(), QStringLiteral("txtメモ"))->setFocus();
    QApplication::setActiveWindow(main.get());
    ASSERT_EQ(QApplication::activeWindow(), main.get());
    press(main.get(), Qt::Key_I, Qt::AltModifier);
    // A mnemonic presses its button as a click that shows (100 ms).
    for (int waited = 0; waited < 20 && !forms::findForm(QStringLiteral("FrmNippoList")); ++waited) QTest::qWait(50);
    EXPECT_NE(forms::findForm(QStringLiteral("FrmNippoList")), nullptr);
}

// 保守: the legend's keys work as on the code table, and each button stands
// under the key that names it.
TEST_F(Fit, TheMaintenanceFormsKeysAndLegend) {
    const struct {
        int key;
        const char *does;
    } keys[] = {{Qt::Key_F5, "登録"}, {Qt::Key_F9, "クリア"}, {Qt::Key_F2, "メイン"}, {Qt::Key_F1, "戻る"}, {Qt::Key_Escape, "閉じる"}};
    for (const auto &k : keys) {
        SCOPED_TRACE(k.does);
        QPointer<forms::Form> hosyu = openByButton("Command11", "FrmHosyu");
        ASSERT_FALSE(hosyu.isNull());
        auto *era = child<QComboBox>(hosyu, QStringLiteral("cmb年号"));
        era->setCurrentText(QStringLiteral("和暦"));
        era->setFocus();
        const qsizetype boxes = script.shown.size();
        script.answer(forms::mb::IdNo);
        press(hosyu, k.key);
        const QString does = QString::fromUtf8(k.does);
        if (does == QStringLiteral("登録")) {
            ASSERT_EQ(script.shown.size(), boxes + 1);
            EXPECT_TRUE(script.shown.last().prompt.contains(QStringLiteral("保守情報")));
        }
        if (does == QStringLiteral("クリア")) EXPECT_EQ(era->currentText(), QStringLiteral("西暦"));
        if (does == QStringLiteral("メイン")) EXPECT_FALSE(hosyu.isNull());
        if (does == QStringLiteral("戻る") || does == QStringLiteral("閉じる")) {
            forms::DoEvents();
            EXPECT_EQ(forms::findForm(QStringLiteral("FrmHosyu")), nullptr);
        }
        if (hosyu) hosyu->unload();
        forms::DoEvents();
        script = forms::ScriptedInteraction();
    }

    forms::Form *hosyu = openByButton("Command11", "FrmHosyu");
    auto *legend = child<QLabel>(hosyu, QStringLiteral("Label1"));
    EXPECT_EQ(legend->text(), QStringLiteral("   F1        F2        F5        F9       ESC"));
    const QFontMetrics fm(legend->font());
    const struct {
        const char *key, *button;
    } under[] = {{"F1", "cmd戻る"}, {"F2", "cmdメニュー"}, {"F5", "cmd登録"}, {"F9", "cmdクリア"}, {"ESC", "cmd閉じる"}};
    int previousRight = -1;
    for (const auto &u : under) {
        const QString key = QString::fromUtf8(u.key);
        const qsizetype at = legend->text().indexOf(key);
        const int keyCentre = legend->mapTo(hosyu, QPoint(0, 0)).x() + fm.horizontalAdvance(legend->text().left(at)) +
                              fm.horizontalAdvance(key) / 2;
        auto *b = child<QPushButton>(hosyu, QString::fromUtf8(u.button));
        const QRect r(b->mapTo(hosyu, QPoint(0, 0)), b->size());
        EXPECT_LE(std::abs(r.center().x() - keyCentre), 2) << u.key;
        EXPECT_GT(r.top(), legend->mapTo(hosyu, QPoint(0, legend->height() - 1)).y()) << u.key;
        EXPECT_GT(r.left(), previousRight) << u.key;
        previousRight = r.right();
    }
}

// F1 on the list and the hint editor opens their help pages; the code
// table keeps F1 as 戻る.
TEST_F(Fit, F1OpensTheHelpOfFormsWithoutAnF1OfTheirOwn) {
    forms::Form *list = openByButton("Command3", "FrmNippoList");
    ASSERT_NE(list, nullptr);
    press(list, Qt::Key_F1);
    ASSERT_FALSE(script.opened.isEmpty());
    EXPECT_TRUE(script.opened.last().endsWith(QStringLiteral("VoRadu6.htm")));
    Hint *hint = Hint::Open(session, QStringLiteral("TqenMain"), QStringLiteral("cmd登録"), QStringLiteral("営業日報"));
    press(hint, Qt::Key_F1);
    EXPECT_TRUE(script.opened.last().endsWith(QStringLiteral("VoRadu3.htm")));
    const qsizetype opened = script.opened.size();
    QPointer<forms::Form> codes = openByButton("Command5", "FrmCodeMaster");
    ASSERT_FALSE(codes.isNull());
    press(codes, Qt::Key_F1);
    EXPECT_EQ(script.opened.size(), opened);
    EXPECT_EQ(forms::findForm(QStringLiteral("FrmCodeMaster")), nullptr);
}

// Qt's own texts (context menus, file and print dialogs) in Japanese.
TEST(Desktop, QtsOwnTextsAreJapanese) {
    ASSERT_TRUE(forms::installQtTranslation()) << "qtbase_ja.qm missing: install qt6-translations-l10n";
    EXPECT_NE(QCoreApplication::translate("QLineEdit", "&Undo"), QStringLiteral("&Undo"));
    EXPECT_NE(QCoreApplication::translate("QFileDialog", "Save As"), QStringLiteral("Save As"));
    for (QTranslator *t : QCoreApplication::instance()->findChildren<QTranslator *>()) {
        QCoreApplication::removeTranslator(t);
        delete t;
    }
}

// File dialogs start in the documents folder with the default name, never
// in "/".
TEST(Desktop, FileDialogsStartInTheDocumentsFolder) {
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!QDir(documents).exists()) documents = QDir::homePath();
    forms::FileDialogOptions options;
    options.defaultName = QStringLiteral("日報一覧.csv");
    EXPECT_EQ(forms::dialogStartPath(options), QDir(documents).filePath(QStringLiteral("日報一覧.csv")));
    options.initialFolder = QStringLiteral("/");
    EXPECT_EQ(forms::dialogStartPath(options), QDir(documents).filePath(QStringLiteral("日報一覧.csv")));
    options.initialFolder = QStringLiteral("/no/such/folder");
    EXPECT_EQ(forms::dialogStartPath(options), QDir(documents).filePath(QStringLiteral("日報一覧.csv")));
    QTemporaryDir chosen;
    options.initialFolder = chosen.path();
    options.defaultName.clear();
    EXPECT_EQ(forms::dialogStartPath(options), chosen.path());
}

// A form keeps its size between runs, in the file named for it; without
// one nothing is written.
TEST(Desktop, WindowsKeepTheirPlaces) {
    QTemporaryDir tmp;
    const QString file = tmp.filePath(QStringLiteral("windows.conf"));
    forms::rememberWindowPlaces(file);
    {
        forms::Form first(QStringLiteral("FrmPlaces"));
        first.resize(300, 200);
        first.show();
        forms::DoEvents();
        first.resize(420, 310);
        first.hide();
    }
    EXPECT_TRUE(QSettings(file, QSettings::IniFormat).contains(QStringLiteral("FrmPlaces/geometry")));
    {
        forms::Form again(QStringLiteral("FrmPlaces"));
        again.resize(300, 200);
        again.show();
        forms::DoEvents();
        EXPECT_EQ(again.size(), QSize(420, 310));
        again.hide();
    }
    forms::rememberWindowPlaces(QString());
    QFile::remove(file);
    {
        forms::Form unkept(QStringLiteral("FrmPlaces"));
        unkept.show();
        unkept.hide();
    }
    EXPECT_FALSE(QFile::exists(file));
    qputenv("TQEN_WINDOWS", file.toUtf8());
    EXPECT_EQ(forms::windowPlacesFile(), file);
    qunsetenv("TQEN_WINDOWS");
    EXPECT_TRUE(forms::windowPlacesFile().endsWith(QStringLiteral("/tqen/windows.conf")));
}

// A window larger than the free screen is made smaller and moved inside,
// never below its minimum.
TEST(Desktop, AWindowFitsTheFreeScreen) {
    QWidget w;
    w.setMinimumSize(400, 300);
    w.resize(1024, 740);
    w.move(500, 100);
    forms::fitInto(&w, QRect(0, 32, 1280, 680));
    EXPECT_EQ(w.size(), QSize(1024, 680));
    EXPECT_EQ(w.pos(), QPoint(256, 32));
    forms::fitInto(&w, QRect(0, 0, 300, 200));
    EXPECT_EQ(w.size(), QSize(400, 300));
}

}  // namespace
}  // namespace tqen::testing
