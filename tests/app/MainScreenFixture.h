#pragma once
// The main screen loaded as the program loads it, over the files of an
// AppFixture, with the helpers its tests share.
#include "app/MonthCalendar.h"
#include "app/TqenMain.h"
#include "tests/support/AppFixture.h"
#include "tests/support/Child.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QTest>

#include <memory>

namespace tqen::testing {

class MainScreenFixture : public AppFixture {
protected:
    // Loads the main screen as the program does.
    void load() {
        main = std::make_unique<TqenMain>(app);
        main->Form_Load();
        ASSERT_EQ(main->calendar()->cellError(), QString());
        ASSERT_EQ(main->calendar()->cellCount(), 37);
    }
    // Shows the month of a day on the calendar, as the month buttons do.
    void showMonth(const QDate &day) {
        main->setCalendarDate(day);
        main->SetClalendar();
        main->SetMarkDate();
    }
    int cellOf(const QDate &day) const { return main->calendar()->cellOffset() + day.day() - 1; }
    void clickCell(int index) { QTest::mouseClick(testing::child<QWidget>(main.get(), QStringLiteral("LblCald_%1").arg(index)), Qt::LeftButton); }
    // Japanese text arrives from the input method as a committed string.
    void type(QWidget *w, const QString &text) {
        w->setFocus();
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QApplication::sendEvent(w, &commit);
    }
    QList<QVariantMap> reports() {
        return rows(data(), QStringLiteral("select * from 営業日報 order by 日付"));
    }

    std::unique_ptr<TqenMain> main;
};

}  // namespace tqen::testing
