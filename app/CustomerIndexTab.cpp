// The customer index tab: the kana buttons and the reference list.
#include "app/CustomerIndexTab.h"

#include "model/Customers.h"
#include "model/Session.h"

#include "platform/forms/DataGrid.h"
#include "platform/forms/Twips.h"

#include <QHeaderView>
#include <QPushButton>

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

}  // namespace

CustomerIndexTab::CustomerIndexTab(const model::Session &session, QWidget *parent)
    : QWidget(parent), session_(session) {
    QWidget *tab = this;
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
    connect(Grid参照, &QAbstractItemView::doubleClicked, this, &CustomerIndexTab::chooseClicked);

    cmd_Enter = new QPushButton(QStringLiteral("選択"), tab);
    cmd_Enter->setObjectName(QStringLiteral("cmd_Enter"));
    cmd_Enter->setAccessibleName(QStringLiteral("選択"));
    cmd_Enter->setToolTip(QStringLiteral("選んだ顧客を営業日報に入れます"));
    cmd_Enter->setGeometry(pixels(2550) + 330 - 180, 480 + pixels(180) + 10, 85, 32);
    connect(cmd_Enter, &QPushButton::clicked, this, &CustomerIndexTab::chooseClicked);

    Command1 = new QPushButton(QStringLiteral("ヘルプ"), tab);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setAccessibleName(QStringLiteral("顧客インデックスのヘルプ"));
    Command1->setGeometry(pixels(2550) + 330 - 85, 480 + pixels(180) + 10, 85, 32);
    connect(Command1, &QPushButton::clicked, this, &CustomerIndexTab::helpClicked);

    cmdカルテ = new QPushButton(QStringLiteral("カルテ"), tab);
    cmdカルテ->setObjectName(QStringLiteral("cmdカルテ"));
    cmdカルテ->setAccessibleName(QStringLiteral("顧客カルテ"));
    cmdカルテ->setToolTip(QStringLiteral("選んだ顧客の日報を全て表示します"));
    cmdカルテ->setGeometry(pixels(2550) + 330 - 275, 480 + pixels(180) + 10, 85, 32);
    connect(cmdカルテ, &QPushButton::clicked, this, &CustomerIndexTab::historyClicked);
    setTabOrder(Grid参照, cmdカルテ);
    setTabOrder(cmdカルテ, cmd_Enter);
}

void CustomerIndexTab::cmd50_Click(int index) {
    const QString kana = kanaCaption(index);
    if (!kana.isEmpty()) ReadSansyo(kana);
}

void CustomerIndexTab::GetKanaStr(const QString &hiragana, QVariant &katakana, QVariant &halfWidth) {
    QString k, h;
    model::Customers::kanaSpellings(hiragana, &k, &h);
    katakana = k.isNull() ? QVariant() : QVariant(k);
    halfWidth = h.isNull() ? QVariant() : QVariant(h);
}

void CustomerIndexTab::ReadSansyo(const QString &kana) {
    emit busy(true);
    // The list is filled in one transaction: a failed write leaves it
    // as it was rather than half filled, and the user is told.
    Error error;
    const QList<model::Customers::Customer> found = model::Customers::byKana(session_.dataDbPath, kana, &error);
    if (error.ok()) error = model::Customers::writeIndex(session_.workDbPath, found);
    emit busy(false);
    refresh();
    if (!error.ok()) emit failed(error);
}

void CustomerIndexTab::setWorkDatabase(const QString &workDbPath) {
    dat参照->DatabaseName = workDbPath;
    dat参照->RecordSource = QStringLiteral("w顧客参照");
}

void CustomerIndexTab::refresh() { dat参照->Refresh(); }

QString CustomerIndexTab::kanaCaption(int index) const {
    return index >= 0 && index < cmd50.size() ? cmd50[index]->text() : QString();
}

QVariant CustomerIndexTab::chosenName() const { return Grid参照->Columns(0); }

QVariant CustomerIndexTab::chosenReading() const { return Grid参照->Columns(2); }

}  // namespace tqen
