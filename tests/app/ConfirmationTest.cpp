// The superior's confirmation on the main screen: a report is read, stamped
// with Ctrl+K and a comment, the calendar shows the stamp, an edit turns the
// report into 確認後に変更; refused input keeps what was typed.
#include "app/ConfirmationPanel.h"
#include "app/MonthCalendar.h"
#include "app/EntryPanel.h"
#include "app/TqenMain.h"
#include "model/CodeTable.h"
#include "model/Confirmations.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/DateBox.h"
#include "platform/forms/TextBox.h"
#include "tests/app/MainScreenFixture.h"
#include "tests/support/Child.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

namespace tqen::testing {
namespace {

namespace mb = forms::mb;

class MainScreenConfirmation : public MainScreenFixture {
protected:
    void SetUp() override {
        MainScreenFixture::SetUp();
        if (IsSkipped()) return;
        ASSERT_TRUE(model::CodeTable::addName(data(), QStringLiteral("担当"), boss).ok());
        addReport(day, QStringLiteral("山田商店"), QStringLiteral("佐藤"), QStringLiteral("新製品"), QStringLiteral("見積り"));
        load();
        showMonth(day);
    }
    ConfirmationPanel *panel() { return child<ConfirmationPanel>(main.get(), "CnConfirmation"); }
    void read(const QString &customer = QStringLiteral("山田商店")) {
        child<forms::DateBox>(main.get(), "txt日付")->setValue(day);
        child<forms::ComboBox>(main.get(), "cmb担当")->setText(QStringLiteral("佐藤"));
        child<forms::ComboBox>(main.get(), "cmb顧客名")->setText(customer);
        main->entryPanel()->ReadNippo();
    }
    // Each time the confirmation dialog opens, the next step answers it.
    using Step = std::function<void(ConfirmDialog *)>;
    void confirmWith(QList<Step> steps, bool byKey = false) {
        QTimer timer;
        timer.setInterval(10);
        bool open = false;
        QObject::connect(&timer, &QTimer::timeout, [&] {
            auto *d = main->findChild<ConfirmDialog *>(QStringLiteral("dlg確認"));
            const bool visible = d && d->isVisible();
            if (visible && !open && !steps.isEmpty()) steps.takeFirst()(d);
            open = d && d->isVisible();
        });
        timer.start();
        if (byKey) {
            main->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
            child<QPushButton>(main.get(), "cmd登録")->setFocus();
            QTest::keyClick(main->windowHandle(), Qt::Key_K, Qt::ControlModifier);
            for (int i = 0; i < 100 && !steps.isEmpty(); ++i) QTest::qWait(20);
            QTest::qWait(50);
        } else {
            child<QPushButton>(main.get(), "cmd確認")->click();
        }
        EXPECT_TRUE(steps.isEmpty());
    }
    static Step answer(const QString &who, const QString &comment) {
        return [who, comment](ConfirmDialog *d) {
            d->confirmerBox()->setCurrentText(who);
            if (!comment.isNull()) d->setComment(comment);
            d->accept();
        };
    }
    bool stamped() { return main->calendar()->cellConfirmed(cellOf(day)); }

    const QDate day{2002, 2, 14};
    const QString boss = QStringLiteral("部長");
};

TEST_F(MainScreenConfirmation, CtrlKStampsTheReportAndAnEditShowsItChanged) {
    read();
    EXPECT_EQ(panel()->stateText(), QStringLiteral("確認: 未確認"));
    EXPECT_FALSE(stamped());
    confirmWith({answer(boss, QStringLiteral("よく書けています"))}, true);
    EXPECT_TRUE(script.shown.isEmpty());
    EXPECT_TRUE(panel()->stateText().startsWith(QStringLiteral("確認: 確認済  部長  "))) << panel()->stateText().toStdString();
    EXPECT_TRUE(panel()->commentsText().endsWith(QStringLiteral("部長: よく書けています")));
    EXPECT_EQ(model::Confirmations::confirmer(), boss);  // remembered on this PC
    // The calendar's cell carries the stamp and says so; its colour is the
    // written day's as before.
    EXPECT_TRUE(stamped());
    EXPECT_TRUE(main->calendar()->cellName(cellOf(day)).endsWith(QStringLiteral("日報1件 確認済")));
    EXPECT_EQ(main->calendar()->cellBackColor(cellOf(day)), MonthCalendar::ColorMarked);
    const QList<QWidget *> stamps = main->calendar()->findChildren<QWidget *>(QStringLiteral("stamp確認"));
    ASSERT_EQ(stamps.size(), 1);
    EXPECT_TRUE(stamps[0]->isVisible());
    // In the cell's bottom right corner, clear of the caption above.
    const QRect cell = child<QWidget>(main.get(), QStringLiteral("LblCald_%1").arg(cellOf(day)))->geometry();
    EXPECT_TRUE(cell.contains(stamps[0]->geometry())) << cell.x() << "," << stamps[0]->x();
    main->grab().save(QStringLiteral("/tmp/confirm31-main.png"));

    // The writer edits the memo: the report reads as changed, the stamp goes.
    read();
    child<forms::TextBox>(main.get(), "txtメモ")->setText(QStringLiteral("見積りを出し直し"));
    script.answer(mb::IdYes);
    child<QPushButton>(main.get(), "cmd登録")->click();
    showMonth(day);  // a registration goes back to this month
    read();
    EXPECT_TRUE(panel()->stateText().startsWith(QStringLiteral("確認: 確認後に変更"))) << panel()->stateText().toStdString();
    EXPECT_FALSE(stamped());
    // Confirmed again, without a comment: the first comment stays.
    confirmWith({answer(boss, QString())});
    EXPECT_TRUE(panel()->stateText().startsWith(QStringLiteral("確認: 確認済")));
    EXPECT_TRUE(panel()->commentsText().contains(QStringLiteral("よく書けています")));
    EXPECT_TRUE(stamped());
}

TEST_F(MainScreenConfirmation, ARefusedConfirmationKeepsTheCommentTyped) {
    read();
    // A confirmer since removed from the code table: told, asked again with
    // the comment still there, then cancelled.
    ASSERT_TRUE(model::Confirmations::setConfirmer(QStringLiteral("退職者")).ok());
    QString seenAgain;
    confirmWith({answer(QStringLiteral("退職者"), QStringLiteral("長い講評")),
                 [&](ConfirmDialog *d) {
                     seenAgain = d->comment();
                     d->reject();
                 }});
    ASSERT_EQ(script.shown.size(), 1);
    EXPECT_TRUE(script.shown[0].prompt.contains(QStringLiteral("確認者「退職者」はコード表の担当にありません"))) << script.shown[0].prompt.toStdString();
    EXPECT_EQ(seenAgain, QStringLiteral("長い講評"));
    EXPECT_EQ(panel()->stateText(), QStringLiteral("確認: 未確認"));

    // The report deleted by another PC meanwhile: told; the comment is kept
    // for the next try.
    onData(QStringLiteral("delete * from 営業日報"));
    script.shown.clear();
    QString kept;
    confirmWith({[&](ConfirmDialog *d) {
        kept = d->comment();
        answer(boss, QString())(d);
    }});
    EXPECT_EQ(kept, QStringLiteral("長い講評"));
    ASSERT_EQ(script.shown.size(), 1);
    EXPECT_TRUE(script.shown[0].prompt.contains(QStringLiteral("別の端末で削除"))) << script.shown[0].prompt.toStdString();
    EXPECT_TRUE(model::Confirmations::statesBetween(data(), day, day).isEmpty());
}

}  // namespace
}  // namespace tqen::testing
