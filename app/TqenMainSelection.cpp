// The main screen's customer and staff selection: the four combo boxes, the
// customer master update on registration, blanking the entry panel, and the
// kana index with its reference list.
#include "app/TqenMain.h"

#include "core/Globals.h"
#include "platform/dao/Dao.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/DataGrid.h"
#include "platform/forms/DateBox.h"
#include "platform/forms/FramedPanel.h"
#include "platform/forms/Interaction.h"
#include "platform/forms/TextBox.h"
#include "platform/forms/Twips.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

namespace tqen {

using forms::pixels;

namespace {

// The captions of the kana index, ten rows of five.
const char *const kKanaCaptions[50] = {
    "あ", "い", "う", "え", "お", "か", "き", "く", "け", "こ", "さ", "し", "す", "せ", "そ",
    "た", "ち", "つ", "て", "と", "な", "に", "ぬ", "ね", "の", "は", "ひ", "ふ", "へ", "ほ",
    "ま", "み", "む", "め", "も", "や", "い", "ゆ", "ゑ", "よ", "ら", "り", "る", "れ", "ろ",
    "わ", "ゐ", "を", "ん", "　",
};

// The three conversion tables, position by position.
const QString &hiraganaTable() {
    static const QString t = QStringLiteral("あいうえおかきくけこさしすせそたちつてと") +
                             QStringLiteral("なにぬねのはひふへほまみむめも") +
                             QStringLiteral("やいゆえよらりるれろわいうゑをん");
    return t;
}
const QString &katakanaTable() {
    static const QString t = QStringLiteral("アイウエオカキクケコサシスセソタチツテト") +
                             QStringLiteral("ナニヌネノハヒフヘホマミムメモ") +
                             QStringLiteral("ヤイユエヨラリルレロワイユヱヲン");
    return t;
}
const QString &halfWidthTable() {
    static const QString t = QStringLiteral("ｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄ") + QStringLiteral("ﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓ") +
                             QStringLiteral("ﾔｲﾕｴﾖﾗﾘﾙﾚﾛﾜｲｳｴｦﾝ");
    return t;
}

}  // namespace

void TqenMain::buildIndexTab(QWidget *tab) {
    // The kana index: 435 × 375 twips buttons in ten rows of five.
    static const int columnLefts[5] = {60, 495, 930, 1380, 1815};
    auto *index = new QWidget(tab);
    index->setObjectName(QStringLiteral("kanaIndex"));
    index->setFixedSize(pixels(2310), pixels(3735));
    index->move(pixels(120), pixels(120));
    for (int i = 0; i < 50; ++i) {
        auto *b = new QPushButton(QString::fromUtf8(kKanaCaptions[i]), index);
        b->setObjectName(QStringLiteral("cmd50_%1").arg(i));
        b->setAccessibleName(i == 49 ? QStringLiteral("ふりがなのある全ての顧客")
                                     : QString::fromUtf8(kKanaCaptions[i]) + QStringLiteral(" で始まる顧客"));
        b->setGeometry(pixels(columnLefts[i % 5]), pixels(60 + 360 * (i / 5)), pixels(435), pixels(375));
        b->setFocusPolicy(Qt::TabFocus);
        connect(b, &QPushButton::clicked, this, [this, i] { cmd50_Click(i); });
        cmd50 << b;
    }

    dat参照 = new forms::DataControl(QStringLiteral("dat参照"), this);
    // The reference list: 名称 and 住所 at their widths, ふりがな takes the
    // rest, so the three columns fit the grid with no row numbers and no
    // sideways scrolling.
    Grid参照 = new forms::DataGrid(QStringLiteral("Grid参照"), dat参照,
                                 {{QStringLiteral("名称"), QStringLiteral("名称"), false, true, {}, pixels(2250)},
                                  {QStringLiteral("住所"), QStringLiteral("住所"), false, true, {}, pixels(1050)},
                                  {QStringLiteral("ふりがな"), QStringLiteral("ふりがな"), false, true, {}, 0}},
                                 tab);
    Grid参照->setAccessibleName(QStringLiteral("顧客の一覧"));
    Grid参照->setGeometry(pixels(2550), pixels(180), 330, 480);
    Grid参照->verticalHeader()->hide();
    Grid参照->horizontalHeader()->setStretchLastSection(true);
    Grid参照->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(Grid参照, &QAbstractItemView::doubleClicked, this, [this] { cmd_Enter_Click(); });

    cmd_Enter = new QPushButton(QStringLiteral("選択"), tab);
    cmd_Enter->setObjectName(QStringLiteral("cmd_Enter"));
    cmd_Enter->setAccessibleName(QStringLiteral("選択"));
    cmd_Enter->setToolTip(QStringLiteral("選んだ顧客を営業日報に入れます"));
    cmd_Enter->setGeometry(pixels(2550) + 330 - 180, 480 + pixels(180) + 10, 85, 32);
    connect(cmd_Enter, &QPushButton::clicked, this, &TqenMain::cmd_Enter_Click);

    Command1 = new QPushButton(QStringLiteral("ヘルプ"), tab);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setAccessibleName(QStringLiteral("顧客インデックスのヘルプ"));
    Command1->setGeometry(pixels(2550) + 330 - 85, 480 + pixels(180) + 10, 85, 32);
    connect(Command1, &QPushButton::clicked, this, &TqenMain::Command1_Click);
}

void TqenMain::SetComb(const QString &kind) {
    const bool staff = kind == QStringLiteral("すべて") || kind == QStringLiteral("担当");
    const bool customers = kind == QStringLiteral("すべて") || kind == QStringLiteral("顧客名");
    if (!staff && !customers) return;
    auto db = dao::Database::open(G().DataDbPath);
    if (staff) {
        const QString typed = cmb担当->Text();
        cmb担当->Clear();
        cmb印刷担当->Clear();
        auto rs = db.openRecordset(QStringLiteral("select * from コードマスタ where kcode = '担当' order by code;"));
        while (!rs.eof()) {
            const QVariant name = rs.field(QStringLiteral("sname"));
            if (!name.isNull()) {
                cmb担当->AddItem(name.toString());
                cmb印刷担当->AddItem(name.toString());
            }
            rs.moveNext();
        }
        rs.close();
        cmb担当->setText(typed);
    }
    if (customers) {
        const QString typed = cmb顧客名->Text();
        cmb顧客名->Clear();
        cmb印刷顧客名->Clear();
        QString sql;
        if (cmb担当->Text().isEmpty()) {
            sql = QStringLiteral("select * from 顧客マスタ order by ふりがな;");
        } else {
            sql = QStringLiteral("select * from 顧客マスタ where 担当 = ") + dao::sqlText(cmb担当->Text()) +
                  QStringLiteral(" order by ふりがな;");
        }
        auto rs = db.openRecordset(sql);
        while (!rs.eof()) {
            const QVariant name = rs.field(QStringLiteral("名称"));
            if (!name.isNull()) {
                cmb顧客名->AddItem(name.toString());
                cmb印刷顧客名->AddItem(name.toString());
            }
            rs.moveNext();
        }
        rs.close();
        cmb顧客名->setText(typed);
    }
    db.close();
}

Error TqenMain::EntryCustomer(const QString &name) {
    auto db = dao::Database::open(G().DataDbPath);
    // One step with its look-up: two programs never both add the customer.
    const bool locked = db.beginWriteTrans();
    auto rs = db.openRecordset(QStringLiteral("select * from 顧客マスタ where 名称 = ") + dao::sqlText(name));
    lookedUp();
    if (rs.isOpen()) {
        if (rs.bof() && rs.eof()) rs.addNew();
        else rs.edit();
        rs.setField(QStringLiteral("名称"), cmb顧客名->Text());
        if (!txtふりがな->Text().isEmpty()) rs.setField(QStringLiteral("ふりがな"), txtふりがな->Text());
        rs.setField(QStringLiteral("担当"), cmb担当->Text());
    }
    if (!locked || !rs.isOpen() || !rs.update()) return dao::failure(QStringLiteral("顧客マスタに書き込めませんでした。"), db, rs);
    rs.close();
    if (!db.commitTrans()) return dao::failure(QStringLiteral("顧客マスタに書き込めませんでした。"), db);
    return Error();
}

void TqenMain::BlankForm() {
    auto work = dao::Database::open(G().WorkDbPath);
    work.execute(QStringLiteral("delete * from w顧客参照"));
    work.close();
    txtタイトル->setText(QString());
    txtふりがな->setText(QString());
    txtメモ->setText(QString());
    txt日付->setValue(QVariant());
    cmb顧客名->setText(QString());
    cmb担当->setText(QString());
    entryEdited_ = false;
    G().JumpDate = QDate();
    G().CalendarDate = QDate::currentDate();
    SetClalendar();
}

void TqenMain::cmd50_Click(int index) {
    if (index < 0 || index >= cmd50.size()) return;
    ReadSansyo(cmd50[index]->text());
}

void TqenMain::GetKanaStr(const QString &hiragana, QVariant &katakana, QVariant &halfWidth) {
    katakana = QVariant();
    halfWidth = QVariant();
    if (hiragana.isEmpty()) return;
    const qsizetype at = hiraganaTable().indexOf(hiragana.left(1));
    if (at < 0) return;
    halfWidth = QString(halfWidthTable()[at]);
    katakana = QString(katakanaTable()[at]);
}

void TqenMain::ReadSansyo(const QString &kana) {
    QVariant katakana, halfWidth;
    GetKanaStr(kana, katakana, halfWidth);
    showProgress(Msg検索中);

    auto work = dao::Database::open(G().WorkDbPath);
    work.execute(QStringLiteral("delete * from w顧客参照"));
    auto target = work.openRecordset(QStringLiteral("select * from w顧客参照"));
    // A kana that is not in the table (ゐ, the blank) leaves the bare "*",
    // which lists every customer that has a reading.
    auto pattern = [](const QVariant &v) {
        return QStringLiteral("'") + (v.isNull() ? QString() : dao::likeText(v.toString())) + QStringLiteral("*'");
    };
    auto data = dao::Database::open(G().DataDbPath);
    auto rs = data.openRecordset(QStringLiteral("select 名称,ふりがな from 顧客マスタ where (ふりがな like ") +
                                 pattern(kana) + QStringLiteral(")") + QStringLiteral(" or (ふりがな like ") +
                                 pattern(katakana) + QStringLiteral(")") + QStringLiteral(" or (ふりがな like ") +
                                 pattern(halfWidth) + QStringLiteral(")") + QStringLiteral(" order by ふりがな;"));
    // The list is filled in one transaction: a failed write leaves it
    // empty rather than half filled, and the user is told.
    bool ok = target.isOpen() && rs.isOpen() && work.beginTrans();
    while (ok && !rs.eof()) {
        target.addNew();
        target.setField(QStringLiteral("名称"), rs.field(QStringLiteral("名称")));
        target.setField(QStringLiteral("ふりがな"), rs.field(QStringLiteral("ふりがな")));
        ok = target.update();
        rs.moveNext();
    }
    Error error;
    if (!ok || !work.commitTrans()) {
        error = target.isOpen() ? dao::failure(QStringLiteral("顧客の一覧を作れませんでした。"), work, target)
                                : dao::failure(QStringLiteral("顧客マスタを読めませんでした。"), data, rs);
        work.rollback();
    }
    rs.close();
    target.close();
    data.close();
    work.close();
    hideProgress(Msg検索中);
    dat参照->Refresh();
    if (!error.ok())
        forms::interaction().messageBox(this, error.message(), forms::mb::OK | forms::mb::Exclamation,
                                        forms::programTitle());
}

void TqenMain::cmd_Enter_Click() {
    const QVariant name = Grid参照->Columns(0);
    if (name.isNull()) return;
    SSTab1->setCurrentIndex(1);
    cmb顧客名->setText(name.toString());
    const QVariant reading = Grid参照->Columns(2);
    if (!reading.isNull()) txtふりがな->setText(reading.toString());
}

}  // namespace tqen
