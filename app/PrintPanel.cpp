// The print conditions and the printed daily reports.
#include "app/PrintPanel.h"

#include "model/Reports.h"
#include "platform/forms/Accessible.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/DateBox.h"
#include "platform/forms/Interaction.h"
#include "platform/forms/Twips.h"
#include "reports/Rpt日報.h"

#include <QLabel>
#include <QPushButton>
#include <QShortcut>

namespace tqen {

using forms::pixels;

namespace {

QLabel *panelLabel(const QString &name, const QString &text, QWidget *buddy, QWidget *parent, int left, int top) {
    auto *l = new QLabel(text, parent);
    l->setObjectName(name);
    if (buddy) l->setBuddy(buddy);
    l->move(pixels(left), pixels(top));
    return l;
}

// Places a child at a position given in twips.
void place(QWidget *w, int leftTwips, int topTwips) { w->move(pixels(leftTwips), pixels(topTwips)); }

}  // namespace

PrintPanel::PrintPanel(QWidget *form, const model::Session &session)
    : forms::FramedPanel(QStringLiteral("Cn印刷条件"), form, true), session_(session) {
    hide();
    imContainer3D9 = new forms::FramedPanel(QStringLiteral("imContainer3D9"), this);
    imContainer3D9->setFixedHeight(pixels(600));
    place(imContainer3D9, 180, 300);
    txt開始 = new forms::DateBox(QStringLiteral("txt開始"), imContainer3D9);
    forms::nameField(txt開始, QStringLiteral("開始日"));
    txt開始->setFixedHeight(pixels(360));
    place(txt開始, 120, 120);
    lblから = new QLabel(QStringLiteral("から"), imContainer3D9);
    lblから->setObjectName(QStringLiteral("lblから"));
    place(lblから, 2790, 170);
    txt終了 = new forms::DateBox(QStringLiteral("txt終了"), imContainer3D9);
    forms::nameField(txt終了, QStringLiteral("終了日"));
    txt終了->setFixedHeight(pixels(360));
    place(txt終了, 3100, 120);
    cmb印刷担当 = new forms::ComboBox(QStringLiteral("cmb印刷担当"), this);
    forms::nameField(cmb印刷担当, QStringLiteral("印刷する担当"));
    cmb印刷顧客名 = new forms::ComboBox(QStringLiteral("cmb印刷顧客名"), this);
    forms::nameField(cmb印刷顧客名, QStringLiteral("印刷する顧客名"));
    layoutPanel();
}

// The panel holds, from the top: the customer, the staff member, the period,
// and the four buttons in a row.
void PrintPanel::layoutPanel() {
    setFixedSize(pixels(7000), pixels(2850));
    setAccessibleName(QStringLiteral("印刷条件"));
    auto *title = panelLabel(QStringLiteral("lbl印刷条件"), QStringLiteral("印刷条件"), nullptr, this, 180, 90);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);

    panelLabel(QStringLiteral("lbl印刷顧客名"), QStringLiteral("顧客名"), cmb印刷顧客名, this, 180, 530);
    cmb印刷顧客名->setGeometry(pixels(900), pixels(480), pixels(3600), pixels(360));
    panelLabel(QStringLiteral("lbl印刷担当"), QStringLiteral("担　当"), cmb印刷担当, this, 180, 1010);
    cmb印刷担当->setGeometry(pixels(900), pixels(960), pixels(2600), pixels(360));
    panelLabel(QStringLiteral("lbl期間"), QStringLiteral("期間"), txt開始, this, 180, 1560);
    imContainer3D9->move(pixels(900), pixels(1380));
    lblから->setText(QStringLiteral("～"));

    struct Button {
        QPushButton *PrintPanel::*member;
        const char *name;
        const char *caption;
        const char *tip;
        void (PrintPanel::*click)();
    };
    static const Button buttons[] = {
        {&PrintPanel::cmd印刷プレビュー, "cmd印刷プレビュー", "プレピュー", "印刷する日報を画面で確かめます",
         &PrintPanel::cmd印刷プレビュー_Click},
        {&PrintPanel::cmd印刷実行, "cmd印刷実行", "印刷", "日報を印刷します", &PrintPanel::cmd印刷実行_Click},
        {&PrintPanel::cmd印刷条件クリア, "cmd印刷条件クリア", "クリア", "印刷条件を空にします",
         &PrintPanel::cmd印刷条件クリア_Click},
        {&PrintPanel::cmd印刷条件閉じる, "cmd印刷条件閉じる", "閉じる", "印刷条件を閉じます",
         &PrintPanel::cmd印刷条件閉じる_Click},
    };
    int left = 1300;
    QWidget *previous = txt終了;
    setTabOrder(cmb印刷顧客名, cmb印刷担当);
    setTabOrder(cmb印刷担当, txt開始);
    setTabOrder(txt開始, txt終了);
    for (const Button &b : buttons) {
        auto *button = new QPushButton(QString::fromUtf8(b.caption), this);
        button->setObjectName(QString::fromUtf8(b.name));
        button->setAccessibleName(button->text());
        button->setToolTip(QString::fromUtf8(b.tip));
        button->setGeometry(pixels(left), pixels(2200), pixels(1300), pixels(450));
        left += 1400;
        this->*b.member = button;
        connect(button, &QPushButton::clicked, this, b.click);
        setTabOrder(previous, button);
        previous = button;
    }
    // Escape closes the panel from any of its controls.
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, &PrintPanel::cmd印刷条件閉じる_Click);
}

void PrintPanel::open(const QString &customer, const QString &staff, const QDate &day) {
    QWidget *form = parentWidget();
    move((form->width() - width()) / 2, (form->height() - height()) / 2);
    setPanelVisible(true);
    if (!customer.isEmpty()) cmb印刷顧客名->setText(customer);
    if (!staff.isEmpty()) cmb印刷担当->setText(staff);
    if (day.isValid()) {
        txt開始->setValue(day);
        txt終了->setValue(day);
    }
    cmb印刷顧客名->setFocus();
}

void PrintPanel::setStaffNames(const QStringList &names) {
    cmb印刷担当->Clear();
    for (const QString &name : names) cmb印刷担当->AddItem(name);
}

QString PrintPanel::staffText() const { return cmb印刷担当->Text(); }

void PrintPanel::setStaffText(const QString &staff) { cmb印刷担当->setText(staff); }

void PrintPanel::setCustomerNames(const QStringList &names) {
    cmb印刷顧客名->Clear();
    for (const QString &name : names) cmb印刷顧客名->AddItem(name);
}

void PrintPanel::applyDateStyle(bool era, const QString &dayFormat, const QString &monthFormat) {
    for (forms::DateBox *box : {txt開始, txt終了}) {
        box->setInputFormat(dayFormat);
        box->setDisplayFormat(dayFormat);
        box->setMonthFormat(monthFormat);
    }
    txt開始->setWidthTwips(era ? 2320 : 2010);
    txt終了->setWidthTwips(era ? 2320 : 2010);
    txt終了->setLeftTwips(era ? 3360 : 3100);
    imContainer3D9->setWidthTwips(era ? 5740 : 5190);
    lblから->move(pixels(era ? 3070 : 2790), lblから->y());
}

void PrintPanel::cmd印刷プレビュー_Click() {
    hide();
    FillPrintTable(true);
}

void PrintPanel::cmd印刷実行_Click() {
    hide();
    FillPrintTable(false);
}

void PrintPanel::cmd印刷条件クリア_Click() {
    cmb印刷顧客名->setText(QString());
    cmb印刷担当->setText(QString());
    txt開始->setValue(QVariant());
    txt終了->setValue(QVariant());
}

// The conditions stay for the next opening.
void PrintPanel::cmd印刷条件閉じる_Click() {
    hide();
    emit closed();
}

Error PrintPanel::FillPrintTable(bool preview) {
    QWidget *form = parentWidget();
    auto tell = [form](const Error &e) {
        forms::interaction().messageBox(form, e.message(), forms::mb::OK | forms::mb::Exclamation,
                                        forms::programTitle());
        return e;
    };
    const model::Reports::PrintSelection selection{txt開始->date(), txt終了->date(), cmb印刷顧客名->Text(),
                                                   cmb印刷担当->Text()};
    if (Error e = model::Reports::fillPrintTable(session_.workDbPath, session_.dataDbPath, selection); !e.ok()) return tell(e);
    Rpt日報 report(session_);
    report.Run();
    if (!report.error().ok()) return tell(report.error());
    if (preview) {
        report.Show(form);
        return {};
    }
    const Error printed = report.PrintReport(true, form);
    if (!printed.ok() && printed.code() != Error::Code::Cancelled) return tell(printed);
    return printed;
}

}  // namespace tqen
