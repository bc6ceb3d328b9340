#pragma once
// The tab "予定" of the main screen: the open next steps of the entry's
// staff member (everyone's when the entry names none), the earliest planned
// first, so overdue ones lead. Enter or a double click goes to the planned
// day with that customer; "完了にする" closes the chosen step by hand.
#include "model/NextSteps.h"

#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace tqen {

class MonthCalendar;

class NextStepsTab : public QWidget {
    Q_OBJECT
public:
    struct Context {
        QString dataDbPath;
        QString staff;
    };
    explicit NextStepsTab(std::function<Context()> context, QWidget *parent = nullptr);

    // Reads the open steps again.
    void refresh();
    // The steps as listed, in order.
    QList<model::NextStep> steps() const { return steps_; }
    // Closes the step of that row by hand (today); true when closed.
    bool closeRow(int row);
    QTreeWidget *list() const { return list_; }

    // Marks on a calendar the days of its month on which an open step of the
    // staff member and customer is planned.
    static void markPlannedDays(MonthCalendar &calendar, const QString &dataDbPath, const QString &staff,
                                const QString &customer);

signals:
    // A step was chosen: its planned day, customer and staff member.
    void stepActivated(const QDate &planned, const QString &customer, const QString &staff);
    // A step was closed here.
    void stepsChanged();

protected:
    void showEvent(QShowEvent *event) override;

private:
    std::function<Context()> context_;
    QList<model::NextStep> steps_;
    QLabel *heading_ = nullptr;       // "lbl予定"
    QTreeWidget *list_ = nullptr;     // "lst予定"
    QPushButton *close_ = nullptr;    // "cmd予定完了"
    QPushButton *reload_ = nullptr;   // "cmd予定更新"
};

}  // namespace tqen
