#pragma once
// A customer's history (顧客カルテ): every report of one customer, newest
// first, across all staff members, printed, saved as PDF or written as a CSV
// file; a report chosen in it opens on the main screen.
#include "model/Session.h"
#include "model/CustomerHistory.h"
#include "platform/error/Error.h"
#include "platform/forms/Form.h"
#include "platform/text/Encoding.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace tqen::forms {
class ComboBox;
}

namespace tqen {

class FrmKarte : public forms::Form {
    Q_OBJECT
public:
    // session: the data database read, the date style, and the way to the
    // main screen.
    explicit FrmKarte(const model::Session &session);
    ~FrmKarte() override;

    // Shows the one history form with the history of a customer (created
    // when it is not open), in front.
    static FrmKarte *Open(const model::Session &session, const QString &customer);

    // Reads and shows the history of a customer; a failure is told to the
    // user and given back, and leaves the history empty.
    Error ShowKarte(const QString &customer);
    const model::CustomerHistory::History &history() const { return history_; }
    // What the form says about the name (renamed, unknown, no reports).
    QString note() const;

    Error ExportCsv(const QString &path, text::Encoding encoding);
    Error ExportPdf(const QString &path);
    // Hands the report of a line to the main screen and brings it to front.
    void OpenReport(int line);

    static constexpr int ColDate = 0, ColStaff = 1, ColTitle = 2, ColMemo = 3, ColConfirmation = 4;

private:
    void buildForm();
    void report(const Error &error);
    void cmd読込_Click();
    void cmd印刷_Click();
    void cmdPDF_Click();
    void cmdCSV出力_Click();
    void cmd日報_Click();

    forms::ComboBox *cmb顧客名 = nullptr;
    QPushButton *cmd読込 = nullptr;
    QLabel *lbl件数 = nullptr;
    QLabel *lbl注意 = nullptr;
    QTreeWidget *lstカルテ = nullptr;
    QPushButton *cmd印刷 = nullptr;
    QPushButton *cmdPDF = nullptr;
    QPushButton *cmdCSV出力 = nullptr;
    QPushButton *cmd日報 = nullptr;
    QPushButton *cmd閉じる = nullptr;
    model::CustomerHistory::History history_;

    const model::Session &session_;
};

}  // namespace tqen
