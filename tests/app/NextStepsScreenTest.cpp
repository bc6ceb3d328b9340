// Next steps and memo templates on the main screen, the way a person uses
// them: planning the next visit with a report, finding it outlined on the
// calendar and in the tab "予定", closing it by visiting, and starting a
// memo from the office's templates kept on the form reached from 保守.
#include "app/MemoTemplateButton.h"
#include "app/MonthCalendar.h"
#include "app/TqenMain.h"
#include "model/MemoTemplates.h"
#include "model/NextSteps.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/DateBox.h"
#include "platform/forms/TextBox.h"
#include "tests/app/MainScreenFixture.h"
#include "tests/support/Child.h"
#include "templates/FrmTemplate.h"

#include <QFrame>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>

namespace {

class NextStepsScreen : public tqen::testing::MainScreenFixture {
protected:
    const QString 山田商店 = QStringLiteral("山田商店"), 佐藤 = QStringLiteral("佐藤");
    void loadFor山田商店(const QDate &month) {
        load();
        showMonth(month);
        child<forms::ComboBox>(main.get(), "cmb担当")->setText(佐藤);
        child<forms::ComboBox>(main.get(), "cmb顧客名")->setText(山田商店);
        main->SetMarkDate();
    }
    // Clicks a day, types a title and, when given, a next step, and registers.
    void registerOn(const QDate &day, const QDate &next = {}, const QString &what = {}) {
        clickCell(cellOf(day));
        type(child<forms::TextBox>(main.get(), "txtタイトル")->editor(), QStringLiteral("訪問"));
        if (next.isValid()) child<forms::DateBox>(main.get(), "txt次回予定日")->setValue(next);
        if (!what.isEmpty()) type(child<forms::TextBox>(main.get(), "txt次回予定")->editor(), what);
        script.answer(forms::ScriptedInteraction::Enter);
        script.answer(mb::IdOK);
        child<QPushButton>(main.get(), "cmd登録")->click();
    }
    QTabWidget *tabs() { return child<QTabWidget>(main.get(), "SSTab1"); }
    QTreeWidget *planned() {
        tabs()->setCurrentWidget(child<QWidget>(main.get(), "tab予定"));
        return child<QTreeWidget>(main.get(), "lst予定");
    }
};

TEST_F(NextStepsScreen, APlannedVisitIsOutlinedListedAndClosedByTheVisit) {
    const QDate visit(2002, 2, 5), next(2002, 2, 15);
    loadFor山田商店(visit);
    registerOn(visit, next, QStringLiteral("見積を持参"));
    ASSERT_EQ(reports().size(), 1);

    // The planned day is outlined and said, the report's own day is not.
    showMonth(visit);
    child<forms::ComboBox>(main.get(), "cmb担当")->setText(佐藤);
    child<forms::ComboBox>(main.get(), "cmb顧客名")->setText(山田商店);
    main->SetMarkDate();
    MonthCalendar *cal = main->calendar();
    EXPECT_TRUE(cal->cellPlanned(cellOf(next)));
    EXPECT_FALSE(cal->cellPlanned(cellOf(visit)));
    EXPECT_FALSE(child<QFrame>(main.get(), QStringLiteral("calendarPlanned_%1").arg(cellOf(next)))->isHidden());
    EXPECT_EQ(child<QWidget>(main.get(), QStringLiteral("LblCald_%1").arg(cellOf(next)))->accessibleDescription(),
              QStringLiteral("次回予定あり"));
    EXPECT_EQ(cal->cellBackColor(cellOf(visit)), MonthCalendar::ColorMarked) << "the report mark stays as it was";

    // The report shows its step again.
    clickCell(cellOf(visit));
    EXPECT_EQ(child<forms::DateBox>(main.get(), "txt次回予定日")->date(), next);
    EXPECT_EQ(child<forms::TextBox>(main.get(), "txt次回予定")->Text(), QStringLiteral("見積を持参"));

    // The tab lists it as overdue; choosing it opens the planned day.
    QTreeWidget *list = planned();
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(3), QStringLiteral("期限切れ"));
    emit list->itemActivated(list->topLevelItem(0), 0);
    EXPECT_EQ(tabs()->currentIndex(), 1);
    EXPECT_EQ(child<forms::DateBox>(main.get(), "txt日付")->date(), next);
    EXPECT_EQ(child<forms::ComboBox>(main.get(), "cmb顧客名")->Text(), 山田商店);

    // The visit on the planned day closes it.
    registerOn(next);
    ASSERT_EQ(reports().size(), 2);
    const auto step = model::NextSteps::of(data(), {visit, 山田商店, 佐藤});
    ASSERT_TRUE(step.has_value());
    EXPECT_EQ(step->closed, next);
    EXPECT_EQ(planned()->topLevelItemCount(), 0);
    showMonth(visit);
    EXPECT_FALSE(main->calendar()->cellPlanned(cellOf(next)));
}

TEST_F(NextStepsScreen, ANextDayBeforeTheReportIsRefusedAndNothingIsLost) {
    const QDate visit(2002, 2, 5);
    loadFor山田商店(visit);
    clickCell(cellOf(visit));
    type(child<forms::TextBox>(main.get(), "txtメモ")->editor(), QStringLiteral("大事なメモ"));
    child<forms::DateBox>(main.get(), "txt次回予定日")->setValue(QDate(2002, 2, 1));
    script.answer(mb::IdOK);
    child<QPushButton>(main.get(), "cmd登録")->click();
    ASSERT_EQ(script.shown.size(), 1);
    EXPECT_TRUE(script.shown[0].prompt.contains(QStringLiteral("より前です"))) << script.shown[0].prompt.toStdString();
    EXPECT_TRUE(reports().isEmpty());
    EXPECT_EQ(child<forms::TextBox>(main.get(), "txtメモ")->Text(), QStringLiteral("大事なメモ"));
    EXPECT_EQ(child<forms::DateBox>(main.get(), "txt次回予定日")->date(), QDate(2002, 2, 1));
}

TEST_F(NextStepsScreen, ClosingAStepByHandTakesItsMarkAway) {
    const QDate visit(2002, 2, 5), next(2002, 2, 20);
    loadFor山田商店(visit);
    registerOn(visit, next, QStringLiteral("電話"));
    showMonth(visit);
    child<forms::ComboBox>(main.get(), "cmb担当")->setText(佐藤);
    QTreeWidget *list = planned();
    ASSERT_EQ(list->topLevelItemCount(), 1);
    child<QPushButton>(main.get(), "cmd予定完了")->click();
    EXPECT_EQ(list->topLevelItemCount(), 0);
    EXPECT_FALSE(model::NextSteps::of(data(), {visit, 山田商店, 佐藤})->isOpen());
    EXPECT_FALSE(main->calendar()->cellPlanned(cellOf(next)));
}

// The office edits its templates on the form reached from 保守; the entry
// offers them for an empty memo and never over typed text.
TEST_F(NextStepsScreen, TemplatesFromMaintenanceGoIntoAnEmptyMemoOnly) {
    load();
    child<QPushButton>(main.get(), "Command11")->click();
    QWidget *hosyu = forms::findForm(QStringLiteral("FrmHosyu"));
    ASSERT_NE(hosyu, nullptr);
    child<QPushButton>(hosyu, "cmdテンプレート")->click();
    auto *form = qobject_cast<FrmTemplate *>(forms::findForm(QStringLiteral("FrmTemplate")));
    ASSERT_NE(form, nullptr);
    // The office's first set is offered; one of its own is added.
    ASSERT_EQ(child<QListWidget>(form, "lstテンプレート")->count(), 1);
    child<QPushButton>(form, "cmd追加")->click();
    auto *name = child<QLineEdit>(form, "txt名前");
    name->selectAll();
    QTest::keyClicks(name, QStringLiteral("tel"));
    child<QPlainTextEdit>(form, "txt本文")->setPlainText(QStringLiteral("【要件】\n"));
    child<QPushButton>(form, "cmd上へ")->click();
    // 100,000 characters are refused with the reason and stay as typed.
    child<QPushButton>(form, "cmd追加")->click();
    child<QPlainTextEdit>(form, "txt本文")->setPlainText(QString(100000, u'x'));
    script.answer(mb::IdOK);
    EXPECT_FALSE(form->cmd保存_Click());
    ASSERT_EQ(script.shown.size(), 1);
    EXPECT_TRUE(script.shown[0].prompt.contains(QStringLiteral("10000 文字まで"))) << script.shown[0].prompt.toStdString();
    EXPECT_EQ(child<QPlainTextEdit>(form, "txt本文")->toPlainText().size(), 100000);
    bool saved = true;
    model::MemoTemplates::list(data(), &saved);
    EXPECT_FALSE(saved) << "nothing was written";
    child<QPushButton>(form, "cmd削除")->click();
    EXPECT_TRUE(form->cmd保存_Click());
    const QList<model::MemoTemplate> office = model::MemoTemplates::list(data(), &saved);
    EXPECT_TRUE(saved);
    ASSERT_EQ(office.size(), 2);
    EXPECT_EQ(office[0], (model::MemoTemplate{QStringLiteral("tel"), QStringLiteral("【要件】\n")}));
    EXPECT_EQ(office[1].name, QStringLiteral("商談"));
    form->close();
    hosyu->close();

    auto *button = child<MemoTemplateButton>(main.get(), "cmdテンプレート");
    auto *memo = child<forms::TextBox>(main.get(), "txtメモ");
    button->reload();
    ASSERT_EQ(button->offered(), office);
    EXPECT_TRUE(button->insert(1));
    EXPECT_EQ(memo->Text(), office[1].text);
    // Typed text is never replaced: nothing goes in, and the user is told.
    memo->setText(QString());
    type(memo->editor(), QStringLiteral("書きかけ"));
    script.answer(mb::IdOK);
    EXPECT_FALSE(button->insert(0));
    EXPECT_EQ(memo->Text(), QStringLiteral("書きかけ"));
    ASSERT_EQ(script.shown.size(), 2);
    EXPECT_TRUE(script.shown[1].prompt.contains(QStringLiteral("入れませんでした")));
}

}  // namespace
