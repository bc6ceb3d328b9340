// The main screen's print conditions and the printed daily reports.
#include "app/TqenMain.h"

#include "core/Globals.h"
#include "platform/dao/Dao.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/DateBox.h"
#include "platform/forms/FramedPanel.h"
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

}  // namespace

// The panel holds, from the top: the customer, the staff member, the period,
// and the four buttons in a row.
void TqenMain::layoutPrintPanel() {
    Cn印刷条件->setFixedSize(pixels(7000), pixels(2850));
    Cn印刷条件->setAccessibleName(QStringLiteral("印刷条件"));
    auto *title = panelLabel(QStringLiteral("lbl印刷条件"), QStringLiteral("印刷条件"), nullptr, Cn印刷条件, 180, 90);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);

    panelLabel(QStringLiteral("lbl印刷顧客名"), QStringLiteral("顧客名"), cmb印刷顧客名, Cn印刷条件, 180, 530);
    cmb印刷顧客名->setGeometry(pixels(900), pixels(480), pixels(3600), pixels(360));
    panelLabel(QStringLiteral("lbl印刷担当"), QStringLiteral("担　当"), cmb印刷担当, Cn印刷条件, 180, 1010);
    cmb印刷担当->setGeometry(pixels(900), pixels(960), pixels(2600), pixels(360));
    panelLabel(QStringLiteral("lbl期間"), QStringLiteral("期間"), txt開始, Cn印刷条件, 180, 1560);
    imContainer3D9->move(pixels(900), pixels(1380));
    lblから->setText(QStringLiteral("～"));

    struct Button {
        QPushButton *TqenMain::*member;
        const char *name;
        const char *caption;
        const char *tip;
        void (TqenMain::*click)();
    };
    static const Button buttons[] = {
        {&TqenMain::cmd印刷プレビュー, "cmd印刷プレビュー", "プレピュー", "印刷する日報を画面で確かめます",
         &TqenMain::cmd印刷プレビュー_Click},
        {&TqenMain::cmd印刷実行, "cmd印刷実行", "印刷", "日報を印刷します", &TqenMain::cmd印刷実行_Click},
        {&TqenMain::cmd印刷条件クリア, "cmd印刷条件クリア", "クリア", "印刷条件を空にします",
         &TqenMain::cmd印刷条件クリア_Click},
        {&TqenMain::cmd印刷条件閉じる, "cmd印刷条件閉じる", "閉じる", "印刷条件を閉じます",
         &TqenMain::cmd印刷条件閉じる_Click},
    };
    int left = 1300;
    QWidget *previous = imContainer3D9->findChild<QWidget *>(QStringLiteral("txt終了"));
    setTabOrder(cmb印刷顧客名, cmb印刷担当);
    setTabOrder(cmb印刷担当, txt開始);
    setTabOrder(txt開始, txt終了);
    for (const Button &b : buttons) {
        auto *button = new QPushButton(QString::fromUtf8(b.caption), Cn印刷条件);
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
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), Cn印刷条件);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, &TqenMain::cmd印刷条件閉じる_Click);
}

// Opens the panel with the entry panel's customer, staff member and date;
// what the entry panel leaves empty keeps the panel's own value.
void TqenMain::cmd印刷_Click() {
    Cn印刷条件->move((width() - Cn印刷条件->width()) / 2, (height() - Cn印刷条件->height()) / 2);
    Cn印刷条件->setPanelVisible(true);
    if (!cmb顧客名->Text().isEmpty()) cmb印刷顧客名->setText(cmb顧客名->Text());
    if (!cmb担当->Text().isEmpty()) cmb印刷担当->setText(cmb担当->Text());
    if (txt日付->date().isValid()) {
        txt開始->setValue(txt日付->date());
        txt終了->setValue(txt日付->date());
    }
    cmb印刷顧客名->setFocus();
}

void TqenMain::cmd印刷プレビュー_Click() {
    Cn印刷条件->hide();
    FillPrintTable(true);
}

void TqenMain::cmd印刷実行_Click() {
    Cn印刷条件->hide();
    FillPrintTable(false);
}

void TqenMain::cmd印刷条件クリア_Click() {
    cmb印刷顧客名->setText(QString());
    cmb印刷担当->setText(QString());
    txt開始->setValue(QVariant());
    txt終了->setValue(QVariant());
}

// The conditions stay for the next opening.
void TqenMain::cmd印刷条件閉じる_Click() {
    Cn印刷条件->hide();
    cmd印刷->setFocus();
}

QString TqenMain::PrintTableStatement(const QDate &start, const QDate &end, const QString &customer,
                                      const QString &staff, const QString &dataDbPath) {
    QString sql = QStringLiteral("insert into w日報印刷 select * from 営業日報 in ") + dao::sqlText(dataDbPath);
    bool where = false;
    auto joiner = [&where] {
        if (where) return QStringLiteral(" and ");
        where = true;
        return QStringLiteral(" where ");
    };
    if (start.isValid()) {
        sql += QStringLiteral(" where 日付 >= ") + dao::sqlDate(start);
        where = true;
    }
    if (end.isValid()) sql += joiner() + QStringLiteral(" 日付 <= ") + dao::sqlDate(end);
    if (!customer.isEmpty()) sql += joiner() + QStringLiteral(" 顧客名 = ") + dao::sqlText(customer);
    if (!staff.isEmpty()) sql += joiner() + QStringLiteral(" 担当= ") + dao::sqlText(staff);
    sql += QStringLiteral(" order by 日付,顧客名,担当;");
    return sql;
}

Error TqenMain::FillPrintTable(bool preview) {
    auto tell = [this](const Error &e) {
        forms::interaction().messageBox(this, e.message(), forms::mb::OK | forms::mb::Exclamation,
                                        forms::programTitle());
        return e;
    };
    {
        auto db = dao::Database::open(G().WorkDbPath);
        if (!db.execute(QStringLiteral("delete * from w日報印刷")))
            return tell(dao::failure(QStringLiteral("印刷の準備ができません。作業ファイルに書き込めません。"), db));
        const QString sql = PrintTableStatement(txt開始->date(), txt終了->date(), cmb印刷顧客名->Text(),
                                                cmb印刷担当->Text(), G().DataDbPath);
        if (!db.execute(sql))
            return tell(dao::failure(QStringLiteral("印刷する日報をデータファイルから写せません。"), db));
        db.close();
    }
    Rpt日報 report;
    report.Run();
    if (!report.error().ok()) return tell(report.error());
    if (preview) {
        report.Show(this);
        return {};
    }
    const Error printed = report.PrintReport(true, this);
    if (!printed.ok() && printed.code() != Error::Code::Cancelled) return tell(printed);
    return printed;
}

}  // namespace tqen
