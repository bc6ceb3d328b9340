#include "hints/Hint.h"
#include "hints/HintMenu.h"
#include "platform/forms/DateBox.h"
#include "platform/forms/TextBox.h"
#include "tests/support/AppFixture.h"
#include "tests/support/Child.h"

#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolTip>

namespace {

class Hints : public tqen::testing::AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        session.hintDbPath = data();
        // A form of the program with a few controls.
        screen = new forms::Form(QStringLiteral("FrmSample"));
        screen->setWindowTitle(QStringLiteral("見本の画面"));
        memo = new forms::TextBox(QStringLiteral("txtメモ"), true, screen);
        memo->setGeometry(10, 10, 200, 80);
        day = new forms::DateBox(QStringLiteral("txt日付"), screen);
        day->setGeometry(10, 100, 200, 30);
        save = new QPushButton(QStringLiteral("登録"), screen);
        save->setObjectName(QStringLiteral("cmd登録"));
        save->setToolTip(QStringLiteral("登録します"));
        save->setGeometry(10, 140, 80, 30);
        screen->show();
    }
    void TearDown() override {
        if (auto *h = forms::findForm(QStringLiteral("Hint"))) h->unload();
        screen->unload();
        QApplication::processEvents();
        AppFixture::TearDown();
    }
    QList<QVariantMap> hints() { return rows(data(), QStringLiteral("select * from TqHint order by FormName, CtlName")); }
    Hint *open(const QString &form, const QString &control) {
        return Hint::Open(session, form, control, QStringLiteral("見本の画面"));
    }
    void typeHint(Hint *h, const QString &text) {
        child<QPushButton>(h, "cmd編集")->click();
        child<forms::TextBox>(h, "txtContents")->setText(text);
    }

    QPointer<forms::Form> screen;
    forms::TextBox *memo = nullptr;
    forms::DateBox *day = nullptr;
    QPushButton *save = nullptr;
};

TEST_F(Hints, SavingTwiceKeepsOneRowWithTheLastText) {
    Hint *h = open(QStringLiteral("FrmSample"), QStringLiteral("txtメモ"));
    for (const char *text : {"最初のヒント", "書き直したヒント"}) {
        typeHint(h, QString::fromUtf8(text));
        script.answer(mb::IdYes);
        child<QPushButton>(h, "cmd登録")->click();
    }
    const auto r = hints();
    ASSERT_EQ(r.size(), 1);
    EXPECT_EQ(r[0].value("FormName").toString(), QStringLiteral("FrmSample"));
    EXPECT_EQ(r[0].value("CtlName").toString(), QStringLiteral("txtメモ"));
    EXPECT_EQ(r[0].value("FormTitle").toString(), QStringLiteral("見本の画面"));
    EXPECT_EQ(r[0].value("Contents").toString(), QStringLiteral("書き直したヒント"));
    ASSERT_EQ(script.shown.size(), 4);
    EXPECT_EQ(script.shown[0].prompt, QStringLiteral("ヒント を登録します。よろしいですか"));
    EXPECT_EQ(script.shown[1].prompt, QStringLiteral("ヒント を登録しました。"));
    // Another control's hint is a row of its own; a quote is only text.
    Hint::Open(session, QStringLiteral("FrmSample"), QStringLiteral("cmd'登録"), QString());
    typeHint(h, QStringLiteral("押すと'登録'します"));
    script.answer(mb::IdYes);
    child<QPushButton>(h, "cmd登録")->click();
    EXPECT_EQ(hints().size(), 2);
    EXPECT_EQ(Hint::StoredHint(session, QStringLiteral("FrmSample"), QStringLiteral("cmd'登録")), QStringLiteral("押すと'登録'します"));
}

TEST_F(Hints, OpeningShowsTheAddressAndTheStoredTextLocked) {
    addRow(data(), QStringLiteral("TqHint"),
           {{"FormName", "FrmSample"}, {"CtlName", "txtメモ"}, {"FormTitle", "見本"}, {"Contents", "メモの書き方"}});
    Hint *h = open(QStringLiteral("FrmSample"), QStringLiteral("txtメモ"));
    EXPECT_EQ(h->windowTitle(), QStringLiteral("ヒント   "));
    EXPECT_EQ(child<QLabel>(h, "lblFormName")->text(), QStringLiteral("FrmSample"));
    EXPECT_EQ(child<QLabel>(h, "lblCtlName")->text(), QStringLiteral("txtメモ"));
    EXPECT_EQ(child<QLabel>(h, "lblFormTitle")->text(), QStringLiteral("見本の画面"));
    auto *text = child<forms::TextBox>(h, "txtContents");
    EXPECT_EQ(text->Text(), QStringLiteral("メモの書き方"));
    // The edit button switches the lock, and its colour shows which.
    auto *edit = child<QPushButton>(h, "cmd編集");
    const struct {
        bool readOnly;
        QColor colour;
    } states[] = {{true, QColor(0xC0, 0xC0, 0xC0)}, {false, QColor(0xFF, 0x80, 0x80)}, {true, QColor(0xC0, 0xC0, 0xC0)}};
    for (const auto &s : states) {
        EXPECT_EQ(text->isReadOnly(), s.readOnly);
        EXPECT_EQ(edit->palette().color(QPalette::Button), s.colour);
        edit->click();
    }
    // Opened for a control without a hint, the old text does not linger.
    open(QStringLiteral("FrmSample"), QStringLiteral("cmd登録"));
    EXPECT_EQ(text->Text(), QString());
    EXPECT_TRUE(text->isReadOnly());
}

TEST_F(Hints, DeletingRemovesTheRowAndEmptiesTheText) {
    addRow(data(), QStringLiteral("TqHint"), {{"FormName", "FrmSample"}, {"CtlName", "txtメモ"}, {"Contents", "a"}});
    addRow(data(), QStringLiteral("TqHint"), {{"FormName", "FrmSample"}, {"CtlName", "txt日付"}, {"Contents", "b"}});
    Hint *h = open(QStringLiteral("FrmSample"), QStringLiteral("txtメモ"));
    script.answer(mb::IdYes);
    child<QPushButton>(h, "cmd削除")->click();
    ASSERT_EQ(script.shown.size(), 2);
    EXPECT_EQ(script.shown[0].prompt, QStringLiteral("ヒント を削除します。よろしいですか"));
    EXPECT_EQ(child<forms::TextBox>(h, "txtContents")->Text(), QString());
    const auto r = hints();
    ASSERT_EQ(r.size(), 1);
    EXPECT_EQ(r[0].value("CtlName").toString(), QStringLiteral("txt日付"));
    // クリア only empties the box.
    open(QStringLiteral("FrmSample"), QStringLiteral("txt日付"));
    child<QPushButton>(h, "cmdクリア")->click();
    EXPECT_EQ(child<forms::TextBox>(h, "txtContents")->Text(), QString());
    EXPECT_EQ(hints().size(), 1);
}

// Without a form or control name nothing is read, written or deleted, and
// the user is told so instead of being told it was done.
TEST_F(Hints, WithoutAnAddressNothingIsStoredAndNoSuccessIsShown) {
    addRow(data(), QStringLiteral("TqHint"), {{"FormName", ""}, {"CtlName", ""}, {"Contents", "誰のものでもない"}});
    for (const auto &[form, control] : {std::pair<const char *, const char *>{"", "txtメモ"}, {"FrmSample", ""}, {"", ""}}) {
        SCOPED_TRACE(std::string(form) + "/" + control);
        script.shown.clear();
        Hint *h = open(QString::fromUtf8(form), QString::fromUtf8(control));
        EXPECT_EQ(child<forms::TextBox>(h, "txtContents")->Text(), QString());
        typeHint(h, QStringLiteral("x"));
        script.answer(mb::IdYes);
        child<QPushButton>(h, "cmd登録")->click();
        script.answer(mb::IdYes);
        child<QPushButton>(h, "cmd削除")->click();
        ASSERT_EQ(script.shown.size(), 4);
        EXPECT_FALSE(script.shown[1].prompt.contains(QStringLiteral("登録しました")));
        EXPECT_TRUE(script.shown[1].prompt.contains(QStringLiteral("登録できません")));
        EXPECT_TRUE(script.shown[3].prompt.contains(QStringLiteral("削除できません")));
        EXPECT_EQ(hints().size(), 1);
    }
}

// The context menu of a control offers the hint editor for that control;
// a part of a control counts as the control; text fields keep their entries.
TEST_F(Hints, TheContextMenuOpensTheEditorForTheControl) {
    auto *dayEdit = day->findChild<QLineEdit *>();
    ASSERT_NE(dayEdit, nullptr);
    const struct {
        QWidget *widget;
        const char *control;
        bool editEntries;
    } cases[] = {
        {memo->editor(), "txtメモ", true},
        {static_cast<QPlainTextEdit *>(memo->editor())->viewport(), "txtメモ", true},
        {dayEdit, "txt日付", true},
        {save, "cmd登録", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.control);
        std::unique_ptr<QMenu> menu(hints::HintMenu::menuFor(c.widget, QPoint(5, 5), session));
        ASSERT_NE(menu, nullptr);
        QAction *entry = menu->actions().last();
        EXPECT_EQ(entry->text(), QStringLiteral("ヒントを編集"));
        EXPECT_EQ(menu->actions().size() > 2, c.editEntries);
        entry->trigger();
        auto *h = qobject_cast<Hint *>(forms::findForm(QStringLiteral("Hint")));
        ASSERT_NE(h, nullptr);
        EXPECT_EQ(child<QLabel>(h, "lblFormName")->text(), QStringLiteral("FrmSample"));
        EXPECT_EQ(child<QLabel>(h, "lblCtlName")->text(), QString::fromUtf8(c.control));
        EXPECT_EQ(child<QLabel>(h, "lblFormTitle")->text(), QStringLiteral("見本の画面"));
    }
    EXPECT_EQ(forms::openForms().size(), 2);   // one hint editor, reused
    // Off a form, or on the editor itself, there is no hint entry.
    QWidget loose;
    EXPECT_EQ(hints::HintMenu::menuFor(&loose, QPoint(), session), nullptr);
    EXPECT_EQ(hints::HintMenu::menuFor(child<QPushButton>(forms::findForm("Hint"), "cmd登録"), QPoint(), session), nullptr);
}

TEST_F(Hints, TheRightButtonShowsTheMenuOnEveryForm) {
    hints::HintMenu::install(session);
    QStringList seen;
    QTimer::singleShot(50, [&seen] {
        if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
            for (QAction *a : menu->actions()) seen << a->text();
            menu->actions().last()->trigger();
            menu->close();
        }
    });
    QContextMenuEvent e(QContextMenuEvent::Mouse, QPoint(5, 5), save->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(save, &e);
    hints::HintMenu::uninstall();
    EXPECT_EQ(seen, QStringList{QStringLiteral("ヒントを編集")});
    auto *h = forms::findForm(QStringLiteral("Hint"));
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(child<QLabel>(h, "lblCtlName")->text(), QStringLiteral("cmd登録"));
}

TEST_F(Hints, AStoredHintIsTheControlsTooltip) {
    hints::HintMenu::install(session);
    addRow(data(), QStringLiteral("TqHint"),
           {{"FormName", "FrmSample"}, {"CtlName", "txt日付"}, {"Contents", "訪問した日を入れます"}});
    auto tipOf = [](QWidget *w) {
        QToolTip::hideText();
        QHelpEvent e(QEvent::ToolTip, QPoint(3, 3), w->mapToGlobal(QPoint(3, 3)));
        QApplication::sendEvent(w, &e);
        return QToolTip::text();
    };
    EXPECT_EQ(tipOf(day->findChild<QLineEdit *>()), QStringLiteral("訪問した日を入れます"));
    EXPECT_EQ(tipOf(save), QStringLiteral("登録します"));   // no hint: its own tooltip
    hints::HintMenu::uninstall();
    EXPECT_NE(tipOf(day->findChild<QLineEdit *>()), QStringLiteral("訪問した日を入れます"));
}

}  // namespace
