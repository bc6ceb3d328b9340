#include "status/FrmTeisyutu.h"

#include "platform/forms/FormStack.h"
#include "platform/dates/DateFormat.h"
#include "platform/forms/Accessible.h"
#include "platform/forms/Interaction.h"
#include "platform/forms/KeyPreview.h"

#include <QBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

namespace tqen {

namespace {

const QString kFormName = QStringLiteral("FrmTeisyutu");

// Cell colours with their own dark text, so that they read the same under
// light and dark themes (contrast well over 4.5:1).
const QColor kMissingBack(0xff, 0xd6, 0xd6);
const QColor kUnconfirmedBack(0xff, 0xef, 0xb0);
const QColor kCellText(0x20, 0x20, 0x20);

const QString kWeekdays[] = {QStringLiteral("月"), QStringLiteral("火"), QStringLiteral("水"), QStringLiteral("木"),
                             QStringLiteral("金"), QStringLiteral("土"), QStringLiteral("日")};

QString dayLabel(const QDate &d) {
    return QStringLiteral("%1月%2日(%3)").arg(d.month()).arg(d.day()).arg(kWeekdays[d.dayOfWeek() - 1]);
}

}  // namespace

FrmTeisyutu::FrmTeisyutu(const model::Session &session) : forms::Form(kFormName), session_(session) {
    setWindowTitle(QStringLiteral("提出状況"));
    auto *top = new QVBoxLayout(this);

    auto *bar = new QHBoxLayout;
    cmd前月 = forms::button(this, QStringLiteral("cmd前月"), QStringLiteral("◀ 前月"), QStringLiteral("前の月を表示"));
    lbl月 = new QLabel(this);
    lbl月->setObjectName(QStringLiteral("lbl月"));
    lbl月->setAlignment(Qt::AlignCenter);
    lbl月->setMinimumWidth(160);
    QFont big = lbl月->font();
    big.setPointSizeF(big.pointSizeF() * 1.3);
    lbl月->setFont(big);
    cmd翌月 = forms::button(this, QStringLiteral("cmd翌月"), QStringLiteral("翌月 ▶"), QStringLiteral("次の月を表示"));
    cmd今月 = forms::button(this, QStringLiteral("cmd今月"), QStringLiteral("今月"), QStringLiteral("今月を表示"));
    cmd読込 = forms::button(this, QStringLiteral("cmd読込"), QStringLiteral("読込"), QStringLiteral("提出状況を読み込む"));
    cmdHint = forms::button(this, QStringLiteral("cmdHint"), QStringLiteral("ヘルプ"), QStringLiteral("使い方を表示"));
    bar->addWidget(cmd前月);
    bar->addWidget(lbl月);
    bar->addWidget(cmd翌月);
    bar->addWidget(cmd今月);
    bar->addWidget(cmd読込);
    bar->addStretch(1);
    bar->addWidget(cmdHint);
    top->addLayout(bar);

    grd提出状況 = new QTableWidget(this);
    grd提出状況->setObjectName(QStringLiteral("grd提出状況"));
    grd提出状況->setAccessibleName(QStringLiteral("提出状況"));
    grd提出状況->setAccessibleDescription(
        QStringLiteral("担当ごとの営業日の提出状況。Enter キーかクリックでその日の日報を開きます"));
    grd提出状況->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grd提出状況->setSelectionMode(QAbstractItemView::SingleSelection);
    grd提出状況->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    grd提出状況->horizontalHeader()->setMinimumSectionSize(40);
    grd提出状況->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    top->addWidget(grd提出状況, 1);

    lbl凡例 = new QLabel(QStringLiteral("未提出: 日報がない営業日　未確認: 確認されていない日報がある日　提出: すべて確認済み　"
                                        "(土日と祝日は表示しません)"),
                         this);
    lbl凡例->setObjectName(QStringLiteral("lbl凡例"));
    lbl凡例->setWordWrap(true);
    top->addWidget(lbl凡例);

    auto *foot = new QHBoxLayout;
    lblMsg = new QLabel(this);
    lblMsg->setObjectName(QStringLiteral("lblMsg"));
    lblMsg->setWordWrap(true);
    lblMsg->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    cmd閉じる = forms::button(this, QStringLiteral("cmd閉じる"), QStringLiteral("閉じる"), QStringLiteral("提出状況を閉じる"));
    foot->addWidget(lblMsg, 1);
    foot->addWidget(cmd閉じる);
    top->addLayout(foot);
    resize(1100, 560);

    connect(cmd前月, &QPushButton::clicked, this, [this] { showMonth(shown_.addMonths(-1)); });
    connect(cmd翌月, &QPushButton::clicked, this, [this] { showMonth(shown_.addMonths(1)); });
    connect(cmd今月, &QPushButton::clicked, this, [this] { showMonth(QDate::currentDate()); });
    connect(cmd読込, &QPushButton::clicked, this, &FrmTeisyutu::ReadStatus);
    connect(cmdHint, &QPushButton::clicked, this,
            [this] { forms::interaction().shellOpen(session_.helpFolder + QStringLiteral("VoRadu6.htm#teisyutu")); });
    connect(cmd閉じる, &QPushButton::clicked, this, [this] { unload(); });
    connect(grd提出状況, &QTableWidget::cellClicked, this, &FrmTeisyutu::openCell);
    connect(grd提出状況, &QTableWidget::cellActivated, this, &FrmTeisyutu::openCell);
    new forms::KeyPreview(this, [this](QKeyEvent *e) { return formKey(e); });

    shown_ = QDate::currentDate();
}

FrmTeisyutu::~FrmTeisyutu() = default;

void FrmTeisyutu::showMonth(const QDate &dayOfMonth) {
    if (!dayOfMonth.isValid()) return;
    shown_ = QDate(dayOfMonth.year(), dayOfMonth.month(), 1);
    ReadStatus();
}

void FrmTeisyutu::ReadStatus() {
    lbl月->setText(FormatDate(shown_, MonthFormatFor(session_.env.年号)));
    Error error;
    month_ = model::SubmissionStatus::read(session_.dataDbPath, shown_.year(), shown_.month(), &error);
    fill();
    if (!error.ok()) {
        lblMsg->setText(error.message());
        return;
    }
    if (month_.staff.isEmpty()) {
        lblMsg->setText(QStringLiteral("コード表に担当が登録されていません。コード表で担当を登録すると、提出状況を表示します。"));
        return;
    }
    QString text = QStringLiteral("営業日 %1 日、担当 %2 人: 未提出 %3 件").arg(month_.days.size()).arg(month_.staff.size()).arg(month_.missing());
    if (month_.staff.size() > month_.listedStaff)
        text += QStringLiteral("　(* はコード表にない担当)");
    lblMsg->setText(text);
}

QString FrmTeisyutu::cellText(const model::SubmissionStatus::Cell &cell, bool future) {
    if (cell.reports == 0) return future ? QString() : QStringLiteral("未提出");
    if (cell.unconfirmed > 0) return QStringLiteral("未確認");
    return QStringLiteral("提出");
}

QString FrmTeisyutu::cellDescription(int row, int column) const {
    if (row < 0 || row >= month_.staff.size() || column < 0 || column >= month_.days.size()) return {};
    const QString &who = month_.staff[row];
    const QDate &day = month_.days[column];
    const model::SubmissionStatus::Cell c = month_.cell(who, day);
    QString text = who + QStringLiteral(" ") + dayLabel(day) + QStringLiteral(": ");
    if (c.reports == 0)
        return text + (day > QDate::currentDate() ? QStringLiteral("日報なし (これからの日)") : QStringLiteral("未提出、日報なし"));
    text += QStringLiteral("日報 %1 件").arg(c.reports);
    if (c.unconfirmed > 0) text += QStringLiteral("、未確認 %1 件").arg(c.unconfirmed);
    else text += QStringLiteral("、すべて確認済み");
    return text;
}

void FrmTeisyutu::fill() {
    grd提出状況->clear();
    grd提出状況->setRowCount(int(month_.staff.size()));
    grd提出状況->setColumnCount(int(month_.days.size()));
    QStringList columns;
    for (const QDate &d : std::as_const(month_.days))
        columns << QStringLiteral("%1\n(%2)").arg(d.day()).arg(kWeekdays[d.dayOfWeek() - 1]);
    grd提出状況->setHorizontalHeaderLabels(columns);
    QStringList rows;
    for (int r = 0; r < month_.staff.size(); ++r)
        rows << (r < month_.listedStaff ? month_.staff[r] : month_.staff[r] + QStringLiteral(" *"));
    grd提出状況->setVerticalHeaderLabels(rows);
    const QDate today = QDate::currentDate();
    for (int r = 0; r < month_.staff.size(); ++r) {
        for (int c = 0; c < month_.days.size(); ++c) {
            const model::SubmissionStatus::Cell cell = month_.cell(month_.staff[r], month_.days[c]);
            const bool future = month_.days[c] > today;
            auto *item = new QTableWidgetItem(cellText(cell, future));
            item->setTextAlignment(Qt::AlignCenter);
            const QString description = cellDescription(r, c);
            item->setToolTip(description);
            item->setData(Qt::AccessibleTextRole, description);
            if (cell.reports == 0 && !future) {
                item->setBackground(kMissingBack);
                item->setForeground(kCellText);
            } else if (cell.unconfirmed > 0) {
                item->setBackground(kUnconfirmedBack);
                item->setForeground(kCellText);
            }
            grd提出状況->setItem(r, c, item);
        }
    }
}

void FrmTeisyutu::openCell(int row, int column) {
    if (row < 0 || row >= month_.staff.size() || column < 0 || column >= month_.days.size()) return;
    const QString who = month_.staff[row];
    const QDate day = month_.days[column];
    const int reports = month_.cell(who, day).reports;
    forms::FormStack(QStringLiteral("PUSH"), name());
    // Any customer of that day and staff member: the customer handed over
    // is empty, never another report's.
    const model::HandOver report{day, who, QVariant(QString())};
    // Several reports: the list of that day and staff member shows them all;
    // "日報" takes one on to the main screen. One report or none: the main
    // screen shows that day and staff member (the report, or an empty entry
    // to write it).
    if (reports > 1) emit reportsChosen(report);
    else emit dayChosen(report);
}

bool FrmTeisyutu::formKey(QKeyEvent *e) {
    if (e->key() == Qt::Key_F1 && e->modifiers() == Qt::NoModifier) {
        cmdHint->click();
        return true;
    }
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        unload();
        return true;
    }
    if (e->modifiers() == Qt::NoModifier && (e->key() == Qt::Key_PageUp || e->key() == Qt::Key_PageDown) &&
        !grd提出状況->hasFocus()) {
        showMonth(shown_.addMonths(e->key() == Qt::Key_PageUp ? -1 : 1));
        return true;
    }
    return false;
}

}  // namespace tqen
