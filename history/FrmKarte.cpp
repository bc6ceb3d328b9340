#include "history/FrmKarte.h"

#include "platform/forms/FormStack.h"
#include "history/RptKarte.h"
#include "model/Customers.h"
#include "platform/dates/DateFormat.h"
#include "platform/forms/Accessible.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/Interaction.h"
#include "platform/text/Csv.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tqen {

namespace {

const QString kMainScreen = QStringLiteral("TqenMain");

// The first line of a memo, as the history's line shows it.
QString firstLine(const QString &memo) {
    for (qsizetype i = 0; i < memo.size(); ++i)
        if (memo[i] == u'\r' || memo[i] == u'\n') return memo.left(i) + QStringLiteral(" …");
    return memo;
}

}  // namespace

FrmKarte::FrmKarte(const model::Session &session) : forms::Form(QStringLiteral("FrmKarte")), session_(session) { buildForm(); }

FrmKarte::~FrmKarte() = default;

void FrmKarte::buildForm() {
    setWindowTitle(QStringLiteral("顧客カルテ"));
    resize(820, 560);
    auto *top = new QHBoxLayout;
    cmb顧客名 = new forms::ComboBox(QStringLiteral("cmb顧客名"), this);
    cmb顧客名->setMinimumWidth(260);
    forms::nameField(cmb顧客名, QStringLiteral("顧客名"));
    top->addWidget(forms::fieldLabel(QStringLiteral("顧客名"), cmb顧客名, this));
    top->addWidget(cmb顧客名);
    cmd読込 = forms::button(this, QStringLiteral("cmd読込"), QStringLiteral("読込"), QString(),
                            QStringLiteral("この顧客の日報を全て読み込みます"));
    top->addWidget(cmd読込);
    lbl件数 = new QLabel(this);
    lbl件数->setObjectName(QStringLiteral("lbl件数"));
    top->addWidget(lbl件数, 1);

    lbl注意 = new QLabel(this);
    lbl注意->setObjectName(QStringLiteral("lbl注意"));
    lbl注意->setWordWrap(true);
    lbl注意->hide();

    lstカルテ = new QTreeWidget(this);
    lstカルテ->setObjectName(QStringLiteral("lstカルテ"));
    lstカルテ->setAccessibleName(QStringLiteral("顧客カルテ"));
    lstカルテ->setAccessibleDescription(QStringLiteral("Enter またはダブルクリックでその日報を開きます"));
    lstカルテ->setHeaderLabels({QStringLiteral("日付"), QStringLiteral("担当"), QStringLiteral("タイトル"),
                                QStringLiteral("メモ"), QStringLiteral("確認")});
    lstカルテ->setRootIsDecorated(false);
    lstカルテ->setUniformRowHeights(true);
    lstカルテ->setAllColumnsShowFocus(true);
    lstカルテ->header()->resizeSection(ColDate, 110);
    lstカルテ->header()->resizeSection(ColStaff, 90);
    lstカルテ->header()->resizeSection(ColTitle, 200);
    lstカルテ->header()->resizeSection(ColMemo, 330);
    connect(lstカルテ, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem *item) { OpenReport(lstカルテ->indexOfTopLevelItem(item)); });

    auto *bottom = new QHBoxLayout;
    const struct Def {
        QPushButton *FrmKarte::*member;
        const char *name, *caption, *tip;
        void (FrmKarte::*click)();
    } defs[] = {
        {&FrmKarte::cmd日報, "cmd日報", "日報", "選んだ日報を営業日報の画面で開きます", &FrmKarte::cmd日報_Click},
        {&FrmKarte::cmd印刷, "cmd印刷", "印刷", "カルテ全体を印刷します (プレビューから PDF にも保存できます)",
         &FrmKarte::cmd印刷_Click},
        {&FrmKarte::cmdPDF, "cmdPDF", "PDF保存", "カルテ全体を PDF ファイルに保存します", &FrmKarte::cmdPDF_Click},
        {&FrmKarte::cmdCSV出力, "cmdCSV出力", "CSV出力", "カルテを CSV ファイルに書き出します",
         &FrmKarte::cmdCSV出力_Click},
        {&FrmKarte::cmd閉じる, "cmd閉じる", "閉じる", "この画面を閉じます", nullptr},
    };
    for (const Def &d : defs) {
        QPushButton *b = forms::button(this, QString::fromUtf8(d.name), QString::fromUtf8(d.caption), QString(),
                                       QString::fromUtf8(d.tip));
        b->setAutoDefault(true);
        this->*d.member = b;
        if (d.click) connect(b, &QPushButton::clicked, this, d.click);
        if (b == cmd閉じる) bottom->addStretch(1);
        bottom->addWidget(b);
    }
    connect(cmd閉じる, &QPushButton::clicked, this, [this] { unload(); });
    connect(cmd読込, &QPushButton::clicked, this, &FrmKarte::cmd読込_Click);
    if (cmb顧客名->lineEdit())
        connect(cmb顧客名->lineEdit(), &QLineEdit::returnPressed, this, &FrmKarte::cmd読込_Click);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(lbl注意);
    layout->addWidget(lstカルテ, 1);
    layout->addLayout(bottom);

    for (const QString &name : model::Customers::names(session_.dataDbPath, QString())) cmb顧客名->AddItem(name);
}

FrmKarte *FrmKarte::Open(const model::Session &session, const QString &customer) {
    auto *form = qobject_cast<FrmKarte *>(forms::findForm(QStringLiteral("FrmKarte")));
    if (!form) {
        form = new FrmKarte(session);
        form->setAttribute(Qt::WA_DeleteOnClose);
    }
    form->showNormal();
    form->raise();
    form->activateWindow();
    form->ShowKarte(customer);
    return form;
}

QString FrmKarte::note() const { return lbl注意->isHidden() ? QString() : lbl注意->text(); }

Error FrmKarte::ShowKarte(const QString &customer) {
    cmb顧客名->setText(customer);
    lstカルテ->clear();
    Error error;
    history_ = model::CustomerHistory::read(session_.dataDbPath, customer, &error);
    setWindowTitle(customer.isEmpty() ? QStringLiteral("顧客カルテ") : QStringLiteral("顧客カルテ - %1").arg(customer));
    const QString dayFormat = DayFormatFor(session_.env.年号);
    bool confirmations = false;
    QList<QTreeWidgetItem *> items;
    items.reserve(history_.rows.size());
    for (const auto &r : std::as_const(history_.rows)) {
        items << new QTreeWidgetItem({FormatDate(r.day, dayFormat), r.staff, r.title, firstLine(r.memo), r.confirmation});
        confirmations = confirmations || !r.confirmation.isEmpty();
    }
    lstカルテ->addTopLevelItems(items);
    lstカルテ->setColumnHidden(ColConfirmation, !confirmations);
    if (!items.isEmpty()) lstカルテ->setCurrentItem(items.first());
    lbl件数->setText(customer.isEmpty() ? QString() : QStringLiteral("%L1 件").arg(history_.rows.size()));

    // The history goes by the name the reports were written under.
    QString note;
    if (!error.ok() || customer.isEmpty()) note.clear();
    else if (!history_.inCustomerList && !history_.rows.isEmpty())
        note = QStringLiteral("「%1」は顧客マスタにない名前です (名前を変えたか削除した顧客)。日報に書かれた名前のまま表示しています。")
                   .arg(customer);
    else if (history_.inCustomerList && history_.rows.isEmpty())
        note = QStringLiteral("「%1」の日報はまだありません。名前を変えた顧客の以前の日報は、元の名前で読み込むと表示されます。")
                   .arg(customer);
    else if (history_.rows.isEmpty())
        note = QStringLiteral("「%1」の日報はありません。").arg(customer);
    lbl注意->setText(note);
    lbl注意->setVisible(!note.isEmpty());
    for (QPushButton *b : {cmd印刷, cmdPDF, cmdCSV出力, cmd日報}) b->setEnabled(!history_.rows.isEmpty());
    report(error);
    return error;
}

Error FrmKarte::ExportCsv(const QString &path, text::Encoding encoding) {
    if (history_.rows.isEmpty())
        return Error(Error::Code::NotFound, QStringLiteral("カルテに日報がないため、CSV ファイルは書き出していません。"));
    return text::writeCsv(path, model::CustomerHistory::csvRecords(history_), encoding);
}

Error FrmKarte::ExportPdf(const QString &path) {
    if (history_.rows.isEmpty())
        return Error(Error::Code::NotFound, QStringLiteral("カルテに日報がないため、PDF ファイルは書き出していません。"));
    if (Error e = model::CustomerHistory::fillPrintTable(session_.workDbPath, session_.dataDbPath, history_.customer); !e.ok())
        return e;
    RptKarte rpt(session_, history_.customer);
    rpt.Run();
    if (!rpt.error().ok()) return rpt.error();
    return rpt.ExportPdf(path);
}

void FrmKarte::OpenReport(int line) {
    if (line < 0 || line >= history_.rows.size()) return;
    const auto &r = history_.rows[line];
    if (session_.handOver) session_.handOver(model::HandOver{r.day, r.staff, history_.customer});
    forms::FormStack(QStringLiteral("PUSH"), name());
    if (forms::Form *main = forms::findForm(kMainScreen)) {
        main->showNormal();
        main->raise();
        main->activateWindow();
    }
}

void FrmKarte::report(const Error &error) { forms::showError(this, error, forms::mb::Exclamation); }

void FrmKarte::cmd読込_Click() { ShowKarte(cmb顧客名->Text().trimmed()); }

void FrmKarte::cmd日報_Click() { OpenReport(lstカルテ->indexOfTopLevelItem(lstカルテ->currentItem())); }

void FrmKarte::cmd印刷_Click() {
    if (Error e = model::CustomerHistory::fillPrintTable(session_.workDbPath, session_.dataDbPath, history_.customer); !e.ok()) {
        report(e);
        return;
    }
    RptKarte rpt(session_, history_.customer);
    rpt.Run();
    if (!rpt.error().ok()) {
        report(rpt.error());
        return;
    }
    rpt.Show(this);
}

void FrmKarte::cmdPDF_Click() {
    forms::FileDialogRequest request;
    request.title = QStringLiteral("PDF保存");
    request.filter = QStringLiteral("PDF ファイル|*.pdf|");
    request.defaultName = QStringLiteral("顧客カルテ_%1.pdf").arg(history_.customer);
    if (!forms::SaveFileDialog(this, request) || request.chosenPath.isEmpty()) return;
    if (!forms::interaction().mayReplace(this, request.chosenPath, request.title)) return;
    if (const Error e = ExportPdf(request.chosenPath); !e.ok()) {
        report(e);
        return;
    }
    forms::interaction().messageBox(this, QStringLiteral("PDF ファイルに保存しました。\n") + request.chosenPath,
                                    forms::mb::OK | forms::mb::Information, forms::programTitle());
}

void FrmKarte::cmdCSV出力_Click() {
    forms::FileDialogRequest request;
    request.title = QStringLiteral("CSV出力");
    request.filter = QStringLiteral("CSV ファイル UTF-8|*.csv|CSV ファイル Shift-JIS|*.csv|");
    request.defaultName = QStringLiteral("顧客カルテ_%1.csv").arg(history_.customer);
    if (!forms::SaveFileDialog(this, request) || request.chosenPath.isEmpty()) return;
    if (!forms::interaction().mayReplace(this, request.chosenPath, request.title)) return;
    const Error e =
        ExportCsv(request.chosenPath, request.filterIndex == 2 ? text::Encoding::Cp932 : text::Encoding::Utf8Bom);
    if (!e.ok()) {
        report(e);
        return;
    }
    forms::interaction().messageBox(this, QStringLiteral("CSV ファイルに書き出しました。\n") + request.chosenPath,
                                    forms::mb::OK | forms::mb::Information, forms::programTitle());
}

}  // namespace tqen
