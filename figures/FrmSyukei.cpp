#include "figures/FrmSyukei.h"

#include "history/FrmKarte.h"
#include "list/FrmNippoList.h"
#include "messages/Msg.h"
#include "platform/forms/Accessible.h"
#include "platform/forms/DateBox.h"
#include "platform/forms/Interaction.h"
#include "platform/text/Csv.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace tqen {

namespace {

namespace mf = model::MonthFigures;

// The customers a visits chart shows: the most visited.
constexpr int kChartCustomers = 20;
const QString kNoStaff = QStringLiteral("(担当なし)");
const QString kPrintFont = QStringLiteral("ＭＳ Ｐ明朝");

QString staffCaption(const QString &staff) { return staff.isEmpty() ? kNoStaff : staff; }

// A chart of one bar set over categories; an empty one says there is nothing.
QChart *barChart(const QString &title, const QStringList &categories, const QList<qreal> &values, QBarSeries *series,
                 const QString &setName) {
    auto *chart = new QChart;
    chart->setTitle(categories.isEmpty() ? title + QStringLiteral(" (該当なし)") : title);
    chart->legend()->hide();
    chart->setAnimationOptions(QChart::NoAnimation);
    auto *set = new QBarSet(setName);
    for (qreal v : values) set->append(v);
    series->append(set);
    series->setLabelsVisible(values.size() <= 40);
    series->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
    chart->addSeries(series);
    auto *x = new QBarCategoryAxis;
    x->append(categories);
    x->setLabelsAngle(categories.size() > 8 ? -60 : 0);
    chart->addAxis(x, Qt::AlignBottom);
    series->attachAxis(x);
    auto *y = new QValueAxis;
    y->setLabelFormat(QStringLiteral("%d"));
    // Whole numbers on the axis: a step of 1, 2 or 5 times a power of ten,
    // at most ten steps, with room above the highest bar for its label.
    const qreal top = values.isEmpty() ? 1 : *std::max_element(values.begin(), values.end());
    qreal step = 1;
    for (int i = 0; std::ceil(top * 1.15 / step) > 10; ++i) step *= (i % 3 == 1) ? 2.5 : 2;
    y->setRange(0, std::max<qreal>(1, std::ceil(top * 1.15 / step)) * step);
    y->setTickType(QValueAxis::TicksDynamic);
    y->setTickAnchor(0);
    y->setTickInterval(step);
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(y);
    return chart;
}

void fillTable(QTableWidget *t, const QList<QStringList> &records) {
    t->clear();
    t->setRowCount(records.isEmpty() ? 0 : int(records.size() - 1));
    t->setColumnCount(records.isEmpty() ? 0 : int(records.first().size()));
    if (records.isEmpty()) return;
    t->setHorizontalHeaderLabels(records.first());
    for (int r = 1; r < records.size(); ++r)
        for (int c = 0; c < records[r].size(); ++c) {
            auto *item = new QTableWidgetItem(records[r][c]);
            item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
            bool number = false;
            records[r][c].toInt(&number);
            if (number) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            t->setItem(r - 1, c, item);
        }
    // Widths from the header and the first lines, not from thousands of them.
    t->horizontalHeader()->setResizeContentsPrecision(50);
    t->resizeColumnsToContents();
}

}  // namespace

FrmSyukei::FrmSyukei(model::Session &session) : forms::Form(QStringLiteral("FrmSyukei")), session_(session) { buildForm(); }

FrmSyukei::~FrmSyukei() = default;

void FrmSyukei::buildForm() {
    setWindowTitle(QStringLiteral("集計"));
    resize(900, 680);
    auto *top = new QHBoxLayout;
    txt開始 = new forms::DateBox(QStringLiteral("txt開始"), this);
    txt終了 = new forms::DateBox(QStringLiteral("txt終了"), this);
    for (forms::DateBox *box : {txt開始, txt終了}) {
        box->setInputFormat(DayFormatFor(session_.env.年号));
        box->setDisplayFormat(DayFormatFor(session_.env.年号));
        box->setMonthFormat(MonthFormatFor(session_.env.年号));
        box->setMinimumWidth(170);
    }
    forms::nameField(txt開始, QStringLiteral("集計する期間の開始日"));
    forms::nameField(txt終了, QStringLiteral("集計する期間の終了日"));
    spn休眠日数 = new QSpinBox(this);
    spn休眠日数->setObjectName(QStringLiteral("spn休眠日数"));
    spn休眠日数->setRange(1, 3650);
    spn休眠日数->setValue(90);
    spn休眠日数->setSuffix(QStringLiteral(" 日"));
    forms::nameField(spn休眠日数, QStringLiteral("休眠顧客とする、訪問のない日数"));
    cmd集計 = forms::button(this, QStringLiteral("cmd集計"), QStringLiteral("集計"), QString(),
                            QStringLiteral("期間の日報を集計します"));
    cmd集計->setAutoDefault(true);
    connect(cmd集計, &QPushButton::clicked, this, [this] { Count(); });
    top->addWidget(forms::fieldLabel(QStringLiteral("期間"), txt開始, this));
    top->addWidget(txt開始);
    top->addWidget(new QLabel(QStringLiteral("～"), this));
    top->addWidget(txt終了);
    top->addSpacing(16);
    top->addWidget(forms::fieldLabel(QStringLiteral("休眠顧客"), spn休眠日数, this));
    top->addWidget(spn休眠日数);
    top->addWidget(cmd集計);
    top->addStretch(1);

    tab集計 = new QTabWidget(this);
    tab集計->setObjectName(QStringLiteral("tab集計"));
    const char *pages[] = {"担当者別件数", "顧客別訪問", "休眠顧客", "次回予定の遅れ"};
    const char *names[] = {"担当", "訪問", "休眠", "遅れ"};
    for (int i = 0; i < 4; ++i) {
        auto *split = new QSplitter(Qt::Vertical, tab集計);
        chv[i] = new QChartView(split);
        chv[i]->setObjectName(QStringLiteral("chv%1").arg(QString::fromUtf8(names[i])));
        chv[i]->setAccessibleName(QString::fromUtf8(pages[i]) + QStringLiteral("のグラフ"));
        chv[i]->setRenderHint(QPainter::Antialiasing);
        chv[i]->setMinimumHeight(220);
        tbl[i] = new QTableWidget(split);
        tbl[i]->setObjectName(QStringLiteral("tbl%1").arg(QString::fromUtf8(names[i])));
        tbl[i]->setAccessibleName(QString::fromUtf8(pages[i]) + QStringLiteral("の表"));
        tbl[i]->setAccessibleDescription(QStringLiteral("Enter またはダブルクリックでその日報を開きます"));
        tbl[i]->setEditTriggers(QAbstractItemView::NoEditTriggers);
        tbl[i]->verticalHeader()->hide();
        split->setStretchFactor(0, 3);
        split->setStretchFactor(1, 2);
        tab集計->addTab(split, QString::fromUtf8(pages[i]));
    }
    connect(tbl[StaffPage], &QTableWidget::cellActivated, this, [this](int row, int column) {
        // The first column is the staff member, the last the whole period.
        const int month = column >= 1 && column <= staff_.months.size() ? column - 1 : -1;
        OpenStaff(row, month);
    });
    connect(tbl[VisitsPage], &QTableWidget::cellActivated, this,
            [this](int row, int) { if (row >= 0 && row < visits_.size()) OpenCustomer(visits_[row].customer); });
    connect(tbl[DormantPage], &QTableWidget::cellActivated, this,
            [this](int row, int) { if (row >= 0 && row < dormant_.size()) OpenCustomer(dormant_[row].customer); });
    connect(tbl[OverduePage], &QTableWidget::cellActivated, this, [this](int row, int) { OpenOverdue(row); });

    auto *bottom = new QHBoxLayout;
    const struct Def {
        QPushButton *FrmSyukei::*member;
        const char *name, *caption, *tip;
    } defs[] = {
        {&FrmSyukei::cmdCSV出力, "cmdCSV出力", "CSV出力", "表を CSV ファイルに書き出します"},
        {&FrmSyukei::cmd印刷, "cmd印刷", "印刷", "グラフと表を印刷します"},
        {&FrmSyukei::cmdPDF, "cmdPDF", "PDF保存", "グラフと表を PDF ファイルに保存します"},
        {&FrmSyukei::cmdPNG, "cmdPNG", "PNG保存", "グラフを PNG 画像に保存します"},
        {&FrmSyukei::cmd閉じる, "cmd閉じる", "閉じる", "この画面を閉じます"},
    };
    for (const Def &d : defs) {
        QPushButton *b = forms::button(this, QString::fromUtf8(d.name), QString::fromUtf8(d.caption), QString(),
                                       QString::fromUtf8(d.tip));
        b->setAutoDefault(true);
        this->*d.member = b;
        if (b == cmd閉じる) bottom->addStretch(1);
        bottom->addWidget(b);
    }
    connect(cmd閉じる, &QPushButton::clicked, this, [this] { unload(); });
    connect(cmdCSV出力, &QPushButton::clicked, this, [this] {
        QString path;
        int filter = 1;
        if (!saveDialog(QStringLiteral("CSV出力"), QStringLiteral("CSV ファイル UTF-8|*.csv|CSV ファイル Shift-JIS|*.csv|"),
                        QStringLiteral("csv"), &path, &filter))
            return;
        // The encoding is the dialog's filter: UTF-8, or Shift-JIS for older programs.
        report(ExportCsv(path, filter == 2 ? text::Encoding::Cp932 : text::Encoding::Utf8Bom));
    });
    connect(cmdPDF, &QPushButton::clicked, this, [this] {
        QString path;
        if (saveDialog(QStringLiteral("PDF保存"), QStringLiteral("PDF ファイル|*.pdf|"), QStringLiteral("pdf"), &path))
            report(ExportPdf(path));
    });
    connect(cmdPNG, &QPushButton::clicked, this, [this] {
        QString path;
        if (saveDialog(QStringLiteral("PNG保存"), QStringLiteral("PNG 画像|*.png|"), QStringLiteral("png"), &path))
            report(ExportPng(path));
    });
    connect(cmd印刷, &QPushButton::clicked, this, [this] {
        QPrinter printer(QPrinter::HighResolution);
        printer.setPageOrientation(QPageLayout::Landscape);
        printer.setDocName(pageTitle(Page(tab集計->currentIndex())));
        QPrintDialog dialog(&printer, this);
        if (dialog.exec() != QDialog::Accepted) return;
        QPainter painter(&printer);
        paint(painter, printer);
    });

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(tab集計, 1);
    layout->addLayout(bottom);
}

FrmSyukei *FrmSyukei::Open(model::Session &session) {
    auto *form = qobject_cast<FrmSyukei *>(forms::findForm(QStringLiteral("FrmSyukei")));
    if (!form) {
        form = new FrmSyukei(session);
        form->setAttribute(Qt::WA_DeleteOnClose);
        form->setPeriod(MSG::FirstDayOfMonth(), MSG::LastDayOfMonth());
        form->show();
        form->Count();
    }
    form->showNormal();
    form->raise();
    form->activateWindow();
    return form;
}

void FrmSyukei::setPeriod(const QDate &first, const QDate &last) {
    txt開始->setValue(first.isValid() ? QVariant(first) : QVariant());
    txt終了->setValue(last.isValid() ? QVariant(last) : QVariant());
}

void FrmSyukei::setDormantDays(int days) { spn休眠日数->setValue(days); }

void FrmSyukei::showPage(Page page) { tab集計->setCurrentIndex(page); }
QTableWidget *FrmSyukei::table(Page page) const { return tbl[page]; }
QChartView *FrmSyukei::chart(Page page) const { return chv[page]; }

Error FrmSyukei::Count() {
    const QDate first = txt開始->Value().isNull() ? QDate() : txt開始->date();
    const QDate last = txt終了->Value().isNull() ? QDate() : txt終了->date();
    if (const QString why = mf::checkPeriod(first, last); !why.isEmpty()) {
        const Error e(Error::Code::BadInput, why);
        report(e);
        return e;
    }
    Error e1, e2, e3, e4;
    auto staff = mf::reportsPerStaff(session_.dataDbPath, first, last, &e1);
    auto visits = mf::visitsPerCustomer(session_.dataDbPath, first, last, &e2);
    auto dormant = mf::dormantCustomers(session_.dataDbPath, last, spn休眠日数->value(), &e3);
    // Steps are overdue as of today, whatever the period.
    auto overdue = mf::overdueSteps(session_.dataDbPath, QDate::currentDate(), &e4);
    for (const Error &e : {e1, e2, e3, e4})
        if (!e.ok()) {
            report(e);
            return e;
        }
    first_ = first;
    last_ = last;
    dormantDays_ = spn休眠日数->value();
    staff_ = std::move(staff);
    visits_ = std::move(visits);
    dormant_ = std::move(dormant);
    overdue_ = std::move(overdue);
    fillStaff();
    fillVisits();
    fillDormant();
    fillOverdue();
    return {};
}

void FrmSyukei::fillStaff() {
    fillTable(tbl[StaffPage], records(StaffPage));
    QStringList names;
    QList<qreal> totals;
    for (const auto &l : staff_.lines) {
        names << staffCaption(l.staff);
        totals << l.total;
    }
    auto *series = new QBarSeries;
    connect(series, &QBarSeries::clicked, this, [this](int index, QBarSet *) { OpenStaff(index); });
    QChart *old = chv[StaffPage]->chart();
    chv[StaffPage]->setChart(barChart(QStringLiteral("担当者別の日報件数"), names, totals, series, QStringLiteral("件数")));
    delete old;
}

void FrmSyukei::fillVisits() {
    fillTable(tbl[VisitsPage], records(VisitsPage));
    QStringList names;
    QList<qreal> days;
    for (qsizetype i = 0; i < visits_.size() && i < kChartCustomers; ++i) {
        names << visits_[i].customer;
        days << visits_[i].days;
    }
    auto *series = new QBarSeries;
    connect(series, &QBarSeries::clicked, this,
            [this](int index, QBarSet *) { if (index >= 0 && index < visits_.size()) OpenCustomer(visits_[index].customer); });
    QChart *old = chv[VisitsPage]->chart();
    chv[VisitsPage]->setChart(barChart(QStringLiteral("顧客別の訪問日数 (上位 %1 社)").arg(kChartCustomers), names, days,
                                       series, QStringLiteral("訪問日数")));
    delete old;
}

void FrmSyukei::fillDormant() {
    fillTable(tbl[DormantPage], records(DormantPage));
    // How many of each staff member's customers are dormant.
    QMap<QString, int> perStaff;
    for (const auto &d : std::as_const(dormant_)) ++perStaff[d.staff];
    QStringList names;
    QList<qreal> counts;
    for (auto it = perStaff.cbegin(); it != perStaff.cend(); ++it) {
        names << staffCaption(it.key());
        counts << it.value();
    }
    auto *series = new QBarSeries;
    QChart *old = chv[DormantPage]->chart();
    chv[DormantPage]->setChart(barChart(QStringLiteral("%1 日以上訪問のない顧客 (担当者別)").arg(dormantDays_ + 1), names,
                                        counts, series, QStringLiteral("顧客数")));
    delete old;
}

void FrmSyukei::fillOverdue() {
    fillTable(tbl[OverduePage], records(OverduePage));
    QStringList names;
    QList<qreal> counts;
    for (const auto &o : std::as_const(overdue_)) {
        names << staffCaption(o.staff);
        counts << o.steps;
    }
    auto *series = new QBarSeries;
    connect(series, &QBarSeries::clicked, this, [this](int index, QBarSet *) { OpenOverdue(index); });
    QChart *old = chv[OverduePage]->chart();
    chv[OverduePage]->setChart(barChart(QStringLiteral("予定日を過ぎた次回予定 (担当者別、今日現在)"), names, counts,
                                        series, QStringLiteral("件数")));
    delete old;
}

QList<QStringList> FrmSyukei::records(Page page) const {
    switch (page) {
    case StaffPage: {
        QList<QStringList> r = mf::csvRecords(staff_);
        for (qsizetype i = 1; i < r.size(); ++i) r[i][0] = staffCaption(r[i][0]);
        return r;
    }
    case VisitsPage: return mf::csvRecords(visits_);
    case DormantPage: return mf::csvRecords(dormant_);
    case OverduePage: {
        QList<QStringList> r = mf::csvRecords(overdue_);
        for (qsizetype i = 1; i < r.size(); ++i) r[i][0] = staffCaption(r[i][0]);
        return r;
    }
    }
    return {};
}

QString FrmSyukei::pageTitle(Page page) const {
    return QStringLiteral("%1 %2～%3").arg(tab集計->tabText(page), first_.toString(QStringLiteral("yyyy/MM/dd")),
                                           last_.toString(QStringLiteral("yyyy/MM/dd")));
}

Error FrmSyukei::ExportCsv(const QString &path, text::Encoding encoding) {
    if (!first_.isValid())
        return Error(Error::Code::NotFound, QStringLiteral("まだ集計していないため、CSV ファイルは書き出していません。"));
    return text::writeCsv(path, records(Page(tab集計->currentIndex())), encoding);
}

void FrmSyukei::paint(QPainter &painter, QPagedPaintDevice &device) {
    const Page page = Page(tab集計->currentIndex());
    const qreal dpi = device.logicalDpiX();
    const QRectF area = device.pageLayout().paintRectPixels(int(dpi));
    const QRectF box(0, 0, area.width(), area.height());
    QFont title(kPrintFont);
    title.setPointSizeF(14);
    title.setBold(true);
    QFont body(kPrintFont);
    body.setPointSizeF(9);
    painter.setFont(title);
    const qreal titleHeight = QFontMetricsF(title, &device).height() * 1.5;
    painter.drawText(QRectF(0, 0, box.width(), titleHeight), Qt::AlignLeft | Qt::AlignVCenter, pageTitle(page));
    // The chart takes the upper half of the first page, drawn at the size
    // it has on the screen, scaled.
    const QRectF chartBox(0, titleHeight, box.width(), box.height() * 0.5);
    chv[page]->render(&painter, chartBox);
    painter.setFont(body);
    const QList<QStringList> rows = records(page);
    const qreal line = QFontMetricsF(body, &device).height() * 1.3;
    const int columns = rows.isEmpty() ? 1 : int(rows.first().size());
    // The first column (a name) is wider than the figures.
    const qreal first = std::min(box.width() * 0.3, dpi * 2.2);
    const qreal rest = columns > 1 ? (box.width() - first) / (columns - 1) : 0;
    qreal y = chartBox.bottom() + line;
    for (qsizetype r = 0; r < rows.size(); ++r) {
        if (y + line > box.height()) {
            if (!device.newPage()) return;
            y = 0;
        }
        qreal x = 0;
        for (int c = 0; c < rows[r].size(); ++c) {
            const qreal w = c == 0 ? first : rest;
            painter.drawText(QRectF(x + 2, y, w - 4, line), (c == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter,
                             rows[r][c]);
            x += w;
        }
        if (r == 0) painter.drawLine(QPointF(0, y + line), QPointF(box.width(), y + line));
        y += line;
    }
}

Error FrmSyukei::ExportPdf(const QString &path) {
    if (!first_.isValid())
        return Error(Error::Code::NotFound, QStringLiteral("まだ集計していないため、PDF ファイルは書き出していません。"));
    QPdfWriter pdf(path);
    pdf.setResolution(300);
    pdf.setTitle(pageTitle(Page(tab集計->currentIndex())));
    pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(12, 12, 12, 12)));
    QPainter painter;
    if (!painter.begin(&pdf))
        return Error(Error::Code::FileFailed, QStringLiteral("PDF ファイルに書き込めません。\n") + path);
    paint(painter, pdf);
    if (!painter.end()) return Error(Error::Code::FileFailed, QStringLiteral("PDF ファイルに書き込めません。\n") + path);
    return {};
}

Error FrmSyukei::ExportPng(const QString &path) {
    if (!first_.isValid())
        return Error(Error::Code::NotFound, QStringLiteral("まだ集計していないため、PNG ファイルは書き出していません。"));
    QChartView *view = chv[tab集計->currentIndex()];
    // The chart at a printable size, whatever the window's.
    QImage image(1600, 900, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    view->render(&painter, QRectF(image.rect()));
    painter.end();
    if (!image.save(path, "PNG")) return Error(Error::Code::FileFailed, QStringLiteral("PNG 画像を保存できません。\n") + path);
    return {};
}

void FrmSyukei::OpenStaff(int line, int month) {
    if (line < 0 || line >= staff_.lines.size()) return;
    // Reports without a staff member have no list of their own.
    const QString staff = staff_.lines[line].staff;
    if (staff.isEmpty()) return;
    QDate first = first_, last = last_;
    if (month >= 0 && month < staff_.months.size()) {
        first = std::max(first_, staff_.months[month]);
        last = std::min(last_, staff_.months[month].addMonths(1).addDays(-1));
    }
    showList({first, last, staff, QString()});
}

void FrmSyukei::OpenOverdue(int line) {
    if (line < 0 || line >= overdue_.size() || overdue_[line].staff.isEmpty()) return;
    const auto &o = overdue_[line];
    showList({o.firstReport, o.lastReport, o.staff, QString()});
}

// The report list (the open one, or a new one) in front, reading the period.
void FrmSyukei::showList(const model::ReportList::Period &period) {
    auto *list = qobject_cast<FrmNippoList *>(forms::findForm(QStringLiteral("FrmNippoList")));
    if (!list) {
        list = new FrmNippoList(session_);
        list->setAttribute(Qt::WA_DeleteOnClose);
        list->Form_Load();
    }
    list->showNormal();
    list->raise();
    list->activateWindow();
    list->ShowPeriod(period);
}

void FrmSyukei::OpenCustomer(const QString &customer) {
    if (!customer.isEmpty()) FrmKarte::Open(session_, customer);
}

bool FrmSyukei::saveDialog(const QString &title, const QString &filter, const QString &suffix, QString *path,
                           int *filterIndex) {
    forms::FileDialogRequest request;
    request.title = title;
    request.filter = filter;
    request.defaultName = QStringLiteral("集計_%1_%2-%3.%4")
                              .arg(tab集計->tabText(tab集計->currentIndex()), first_.toString(QStringLiteral("yyyyMMdd")),
                                   last_.toString(QStringLiteral("yyyyMMdd")), suffix);
    if (!forms::SaveFileDialog(this, request) || request.chosenPath.isEmpty()) return false;
    if (!forms::interaction().mayReplace(this, request.chosenPath, title)) return false;
    *path = request.chosenPath;
    if (filterIndex) *filterIndex = request.filterIndex;
    return true;
}

void FrmSyukei::report(const Error &error) { forms::showError(this, error, forms::mb::Exclamation); }

}  // namespace tqen
