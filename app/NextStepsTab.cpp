#include "app/NextStepsTab.h"

#include "app/MonthCalendar.h"
#include "platform/forms/Accessible.h"
#include "platform/forms/Interaction.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tqen {

namespace {
enum Column { Planned, Customer, Text, State, ReportDay, Staff, Columns };
const QString kDay = QStringLiteral("yyyy/MM/dd");
}  // namespace

NextStepsTab::NextStepsTab(std::function<Context()> context, QWidget *parent)
    : QWidget(parent), context_(std::move(context)) {
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(12, 12, 12, 12);
    heading_ = new QLabel(this);
    heading_->setObjectName(QStringLiteral("lbl予定"));
    column->addWidget(heading_);
    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("lst予定"));
    list_->setAccessibleName(QStringLiteral("未完了の次回予定"));
    list_->setRootIsDecorated(false);
    list_->setAllColumnsShowFocus(true);
    list_->setColumnCount(Columns);
    list_->setHeaderLabels({QStringLiteral("予定日"), QStringLiteral("顧客名"), QStringLiteral("内容"),
                            QStringLiteral("状態"), QStringLiteral("日報の日付"), QStringLiteral("担当")});
    list_->header()->setSectionResizeMode(Text, QHeaderView::Stretch);
    list_->header()->setStretchLastSection(false);
    column->addWidget(list_, 1);
    auto *bar = new QHBoxLayout;
    close_ = forms::button(this, QStringLiteral("cmd予定完了"), QStringLiteral("完了にする"),
                           QStringLiteral("選んだ次回予定を完了にする"));
    reload_ = forms::button(this, QStringLiteral("cmd予定更新"), QStringLiteral("更新"),
                            QStringLiteral("次回予定を読み直す"));
    bar->addWidget(close_);
    bar->addStretch(1);
    bar->addWidget(reload_);
    column->addLayout(bar);

    const auto activate = [this](QTreeWidgetItem *item) {
        const int row = item ? list_->indexOfTopLevelItem(item) : -1;
        if (row < 0 || row >= steps_.size()) return;
        const model::NextStep &s = steps_[row];
        emit stepActivated(s.planned, s.report.customer, s.report.staff);
    };
    connect(list_, &QTreeWidget::itemActivated, this, activate);
    connect(close_, &QPushButton::clicked, this, [this] { closeRow(list_->indexOfTopLevelItem(list_->currentItem())); });
    connect(reload_, &QPushButton::clicked, this, &NextStepsTab::refresh);
}

void NextStepsTab::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    refresh();
}

void NextStepsTab::refresh() {
    const Context c = context_();
    Error error;
    steps_ = model::NextSteps::open(c.dataDbPath, c.staff, &error);
    list_->clear();
    const QDate today = QDate::currentDate();
    int overdue = 0;
    QList<QTreeWidgetItem *> items;
    for (const model::NextStep &s : std::as_const(steps_)) {
        auto *item = new QTreeWidgetItem;
        item->setText(Planned, s.planned.toString(kDay));
        item->setText(Customer, s.report.customer);
        item->setText(Text, s.text);
        item->setText(ReportDay, s.report.day.toString(kDay));
        item->setText(Staff, s.report.staff);
        if (s.planned < today) {
            ++overdue;
            item->setText(State, QStringLiteral("期限切れ"));
            // Said in words and shown in bold: colour alone would not tell.
            QFont bold = item->font(0);
            bold.setBold(true);
            for (int col = 0; col < Columns; ++col) item->setFont(col, bold);
        } else if (s.planned == today) {
            item->setText(State, QStringLiteral("今日"));
        }
        items << item;
    }
    list_->addTopLevelItems(items);
    for (int col : {Planned, State, ReportDay}) list_->resizeColumnToContents(col);
    if (!items.isEmpty()) list_->setCurrentItem(items.first());
    const QString who = c.staff.isEmpty() ? QStringLiteral("全員") : c.staff;
    heading_->setText(!error.ok() ? error.message()
                                  : QStringLiteral("%1の未完了の次回予定: %2件（期限切れ %3件）")
                                        .arg(who)
                                        .arg(steps_.size())
                                        .arg(overdue));
    close_->setEnabled(!steps_.isEmpty());
}

bool NextStepsTab::closeRow(int row) {
    if (row < 0 || row >= steps_.size()) return false;
    const model::NextStep s = steps_[row];
    const Error error = model::NextSteps::close(context_().dataDbPath, s.report, QDate::currentDate());
    if (!error.ok())
        forms::interaction().messageBox(window(), error.message(), forms::mb::OK | forms::mb::Exclamation,
                                        forms::programTitle());
    refresh();
    emit stepsChanged();
    return error.ok();
}

void NextStepsTab::markPlannedDays(MonthCalendar &calendar, const QString &dataDbPath, const QString &staff,
                                   const QString &customer) {
    const QDate month = calendar.monthShown();
    if (!month.isValid()) return;
    const QDate first(month.year(), month.month(), 1);
    calendar.setPlannedDays(
        model::NextSteps::plannedDays(dataDbPath, first, first.addDays(first.daysInMonth() - 1), staff, customer));
}

}  // namespace tqen
