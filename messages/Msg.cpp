#include "messages/Msg.h"

#include "platform/dates/DateFormat.h"
#include "platform/forms/Interaction.h"

#include <QDate>

namespace tqen::MSG {

namespace mb = tqen::forms::mb;

namespace {

constexpr int YesNoQuestionYes = mb::YesNo | mb::Question | mb::DefaultButton1;   // 36
constexpr int YesNoQuestionNo = mb::YesNo | mb::Question | mb::DefaultButton2;    // 292
constexpr int OkInformation = mb::OK | mb::Information;                          // 64
constexpr int OkExclamation = mb::OK | mb::Exclamation;                          // 48

struct Entry {
    const char *kind;
    QString (*prompt)(const QString &subject);
    const char *title;
    int style;
};

QString s(const char *utf8) { return QString::fromUtf8(utf8); }

// Rows of each group, in the order they are compared.
const Entry kRegistration[] = {
    {"確認", [](const QString &x) { return x + s(" を登録します。よろしいですか"); }, "登録の確認", YesNoQuestionYes},
    {"完了", [](const QString &x) { return x + s(" を登録しました。"); }, "登録完了", OkInformation},
    {"チェック", [](const QString &) { return s("入力必須項目が空白です。"); }, "入力項目のチェック", OkInformation},
};
const Entry kDeletion[] = {
    {"確認", [](const QString &) { return s("すべてのデータを削除します。よろしいですか"); }, "削除の確認", YesNoQuestionNo},
    {"完了", [](const QString &x) { return s("データ ") + x + s(" を削除しました。"); }, "削除の完了", OkInformation},
    {"伝票確認2", [](const QString &x) { return x + s(" を削除します。よろしいですか"); }, "削除の確認", YesNoQuestionNo},
    {"伝票完了2", [](const QString &x) { return x + s(" を削除しました。"); }, "削除の完了", OkInformation},
};
const Entry kInput[] = {
    {"区分なし", [](const QString &) { return s("区分が指定されていません。区分を指定してください"); }, "入力注意", OkExclamation},
};
const Entry kOther[] = {
    {"コピー完了", [](const QString &x) { return x + s("コピーしました。"); }, "コピー完了", OkInformation},
    {"読込み完了", [](const QString &x) { return x + s("読込みしました。"); }, "読込完了", OkInformation},
};

struct Group {
    const char *name;
    const Entry *rows;
    size_t count;
};

// The eight groups in the order they are compared; 転記, 行指定, クリア and
// 印刷 hold no rows.
const Group kGroups[] = {
    {"登録", kRegistration, std::size(kRegistration)},
    {"転記", nullptr, 0},
    {"削除", kDeletion, std::size(kDeletion)},
    {"入力", kInput, std::size(kInput)},
    {"行指定", nullptr, 0},
    {"クリア", nullptr, 0},
    {"印刷", nullptr, 0},
    {"その他", kOther, std::size(kOther)},
};

const Group *findGroup(const QString &group) {
    for (const Group &g : kGroups)
        if (group == s(g.name)) return &g;
    return nullptr;
}

bool rowOf(const Group &g, const QString &kind, const QString &subject, Row *row) {
    for (size_t i = 0; i < g.count; ++i) {
        if (kind != s(g.rows[i].kind)) continue;
        *row = {g.rows[i].prompt(subject), s(g.rows[i].title), g.rows[i].style};
        return true;
    }
    return false;
}

bool show(const Row &row) {
    const int answer = tqen::forms::interaction().messageBox(nullptr, row.prompt, row.style, row.title);
    if ((row.style & 0xf) == mb::YesNo) return answer == mb::IdYes;
    return false;
}

}  // namespace

bool FindRow(const QString &group, const QString &kind, const QString &subject, Row *row) {
    const Group *g = findGroup(group);
    return g && rowOf(*g, kind, subject, row);
}

bool ShowMessage(const QString &group, const QString &kind, const QString &subject) {
    Row row;
    if (!FindRow(group, kind, subject, &row)) return false;
    return show(row);
}

bool Msg登録(const QString &kind, const QString &subject) { return ShowMessage(s("登録"), kind, subject); }

QDate FirstDayOfMonth() {
    const QDate today = QDate::currentDate();
    return QDate(today.year(), today.month(), 1);
}

QDate LastDayOfMonth() {
    const QDate today = QDate::currentDate();
    return QDate(today.year(), today.month(), today.daysInMonth());
}

qint16 DaysInMonth(QVariant &text) {
    if (text.isNull() || !text.isValid()) return 0;
    if (text.typeId() != QMetaType::QDate && text.toString().isEmpty()) return 0;
    const QDate day = ToDate(text);
    // A text that reads as no date is kept as it stands, as the platform's
    // formatting leaves it, and counts as a month of 30 days.
    if (!day.isValid()) {
        text = text.toString();
        return 30;
    }
    text = FormatDate(day, QStringLiteral("yyyy/mm/dd"));
    return qint16(day.daysInMonth());
}

}  // namespace tqen::MSG
