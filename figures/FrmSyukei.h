#pragma once
// The numbers of a period (集計): reports per staff member and month,
// visits per customer, the customers not visited for a number of days and
// the next steps overdue today per staff member,
// each as a table (written as a CSV file) and a bar chart, printed or saved
// as PDF and PNG. A click on a bar or a line opens the reports behind it:
// the report list of that staff member and period, or a customer's history.
#include "model/ReportList.h"
#include "model/Session.h"
#include "model/MonthFigures.h"
#include "platform/error/Error.h"
#include "platform/forms/Form.h"
#include "platform/text/Encoding.h"

#include <QDate>

class QBarSet;
class QChartView;
class QPainter;
class QPagedPaintDevice;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTableWidget;

namespace tqen::forms {
class DateBox;
}

namespace tqen {

class FrmSyukei : public forms::Form {
    Q_OBJECT
public:
    // session: the data database counted, the date style, and the list and
    // history it opens.
    explicit FrmSyukei(model::Session &session);
    ~FrmSyukei() override;

    // Shows the one figures form (created when it is not open), in front;
    // a new one counts the current month.
    static FrmSyukei *Open(model::Session &session);

    // Counts the period of the date boxes. A period that cannot be counted
    // (a day missing, reversed, longer than ten years) is refused with a
    // message and leaves the tables as they were.
    Error Count();
    void setPeriod(const QDate &first, const QDate &last);
    void setDormantDays(int days);

    enum Page { StaffPage = 0, VisitsPage = 1, DormantPage = 2, OverduePage = 3 };
    void showPage(Page page);
    QTableWidget *table(Page page) const;
    QChartView *chart(Page page) const;
    const model::MonthFigures::StaffMonths &staffFigures() const { return staff_; }
    const QList<model::MonthFigures::Visits> &visits() const { return visits_; }
    const QList<model::MonthFigures::Dormant> &dormant() const { return dormant_; }
    const QList<model::MonthFigures::Overdue> &overdue() const { return overdue_; }

    // The page in front as a CSV file, PDF (chart, then the table over as
    // many pages as it takes) or PNG (the chart).
    Error ExportCsv(const QString &path, text::Encoding encoding);
    Error ExportPdf(const QString &path);
    Error ExportPng(const QString &path);

    // What a bar or a cell opens: the report list of one staff member over
    // the period or one month of it; a customer's history.
    void OpenStaff(int line, int month = -1);
    void OpenCustomer(const QString &customer);
    void showList(const model::ReportList::Period &period);
    // The report list of a staff member over the reports that planned the
    // overdue steps.
    void OpenOverdue(int line);

private:
    void buildForm();
    void fillStaff();
    void fillVisits();
    void fillDormant();
    void fillOverdue();
    QList<QStringList> records(Page page) const;
    QString pageTitle(Page page) const;
    void paint(QPainter &painter, QPagedPaintDevice &device);
    bool saveDialog(const QString &title, const QString &filter, const QString &suffix, QString *path,
                    int *filterIndex = nullptr);
    void report(const Error &error);

    forms::DateBox *txt開始 = nullptr;
    forms::DateBox *txt終了 = nullptr;
    QSpinBox *spn休眠日数 = nullptr;
    QPushButton *cmd集計 = nullptr;
    QTabWidget *tab集計 = nullptr;
    QTableWidget *tbl[4] = {};
    QChartView *chv[4] = {};
    QPushButton *cmdCSV出力 = nullptr;
    QPushButton *cmd印刷 = nullptr;
    QPushButton *cmdPDF = nullptr;
    QPushButton *cmdPNG = nullptr;
    QPushButton *cmd閉じる = nullptr;

    QDate first_, last_;   // the period counted
    int dormantDays_ = 0;
    model::MonthFigures::StaffMonths staff_;
    QList<model::MonthFigures::Visits> visits_;
    QList<model::MonthFigures::Dormant> dormant_;
    QList<model::MonthFigures::Overdue> overdue_;

    model::Session &session_;
};

}  // namespace tqen
