#include "hints/Hint.h"

#include "platform/forms/Accessible.h"
#include "platform/forms/Anchors.h"
#include "platform/forms/Contrast.h"

#include "messages/Msg.h"
#include "model/Hints.h"
#include "platform/forms/Interaction.h"
#include "platform/forms/KeyPreview.h"
#include "platform/forms/TextBox.h"
#include "platform/forms/Twips.h"

#include <QApplication>
#include <QLabel>
#include <QKeyEvent>
#include <QPushButton>

namespace tqen {

using forms::pixels;

namespace {

const QString kName = QStringLiteral("Hint");

// A colour value with blue in the high byte, as a Qt colour.
QColor colorOf(quint32 bgr) { return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF)); }

// Where the controls sit, in twips.
constexpr forms::TwipPlace kPlaces[] = {
    {"Label2", 240, 240, 1500, 330},       {"lblFormName", 1800, 210, 4560, 360},
    {"Label3", 240, 660, 1500, 330},       {"lblFormTitle", 1800, 630, 4560, 360},
    {"Label4", 240, 1080, 1500, 330},      {"lblCtlName", 1800, 1050, 4560, 360},
    {"Label5", 240, 1530, 1500, 330},      {"txtContents", 240, 1860, 6120, 2580},
    {"cmd編集", 240, 4620, 1080, 480},     {"cmd登録", 1500, 4620, 1080, 480},
    {"cmd削除", 2760, 4620, 1080, 480},    {"cmdクリア", 4020, 4620, 1080, 480},
    {"cmd閉じる", 5280, 4620, 1080, 480},
};
constexpr int kFormWidth = 6600, kFormHeight = 5340;

void place(QWidget *w) { forms::placeByName(w, kPlaces); }

}  // namespace

Hint::Hint(const model::Session &session) : forms::Form(kName), session_(session) { buildForm(); }

Hint::~Hint() = default;

void Hint::buildForm() {
    setWindowTitle(QStringLiteral("ヒント   "));

    auto shown = [this](const char *name, const char *accessible) {
        auto *l = new QLabel(this);
        l->setObjectName(QString::fromUtf8(name));
        l->setAccessibleName(QString::fromUtf8(accessible));
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        place(l);
        return l;
    };
    auto caption = [this](const char *name, const char *text) {
        auto *l = new QLabel(QString::fromUtf8(text), this);
        l->setObjectName(QString::fromUtf8(name));
        place(l);
        return l;
    };
    caption("Label2", "フォーム名");
    lblFormName = shown("lblFormName", "フォーム名");
    caption("Label3", "画面の名前");
    lblFormTitle = shown("lblFormTitle", "画面の名前");
    caption("Label4", "コントロール名");
    lblCtlName = shown("lblCtlName", "コントロール名");
    QLabel *textCaption = caption("Label5", "ヒント(&H)");
    txtContents = new forms::TextBox(QStringLiteral("txtContents"), true, this);
    forms::nameField(txtContents, QStringLiteral("ヒント"));
    textCaption->setBuddy(txtContents->editor());
    place(txtContents);

    auto button = [this](QPushButton *&b, const char *name, const char *caption, const char *tip,
                         void (Hint::*click)()) {
        b = forms::button(this, QString::fromUtf8(name), QString::fromUtf8(caption), QString(), QString::fromUtf8(tip));
        place(b);
        connect(b, &QPushButton::clicked, this, click);
    };
    button(cmd編集, "cmd編集", "編集(&E)", "ヒントを書き換えられるようにします", &Hint::cmd編集_Click);
    button(cmd登録, "cmd登録", "登録(&S)", "ヒントを登録します", &Hint::cmd登録_Click);
    button(cmd削除, "cmd削除", "削除(&D)", "ヒントを削除します", &Hint::cmd削除_Click);
    button(cmdクリア, "cmdクリア", "クリア(&C)", "ヒントの文章を消します（登録はしません）", &Hint::cmdクリア_Click);
    button(cmd閉じる, "cmd閉じる", "閉じる", "ヒントを閉じます", &Hint::unload);
    cmd閉じる->setShortcut(Qt::Key_Escape);
    // F1: the help page about hints.
    new forms::KeyPreview(this, [this](QKeyEvent *e) {
        if (e->key() != Qt::Key_F1 || e->modifiers() != Qt::NoModifier) return false;
        forms::interaction().shellOpen(session_.helpFolder + QStringLiteral("VoRadu3.htm"));
        return true;
    });
    cmd編集->setAutoFillBackground(true);
    setEditing(false);

    // A larger window gives the text the room; the buttons stay under it.
    using A = forms::Anchors;
    new A(this, QSize(pixels(kFormWidth), pixels(kFormHeight)),
          {{lblFormName, A::GrowWidth}, {lblFormTitle, A::GrowWidth}, {lblCtlName, A::GrowWidth},
           {txtContents, A::GrowWidth | A::GrowHeight}, {cmd編集, A::MoveDown}, {cmd登録, A::MoveDown},
           {cmd削除, A::MoveDown}, {cmdクリア, A::MoveDown}, {cmd閉じる, A::MoveDown}});

    setTabOrder(txtContents->editor(), cmd編集);
    setTabOrder(cmd編集, cmd登録);
    setTabOrder(cmd登録, cmd削除);
    setTabOrder(cmd削除, cmdクリア);
    setTabOrder(cmdクリア, cmd閉じる);
}

Hint *Hint::Open(const model::Session &session, const QString &formName, const QString &ctlName,
                 const QString &formTitle) {
    auto *hint = qobject_cast<Hint *>(forms::findForm(kName));
    if (!hint) hint = new Hint(session);
    // A form opened for another control starts as a new one would.
    hint->txtContents->setText(QString());
    hint->setEditing(false);
    hint->Form_Load(formName, ctlName, formTitle);
    return hint;
}

QString Hint::StoredHint(const model::Session &session, const QString &formName, const QString &ctlName) {
    if (formName.isEmpty() || ctlName.isEmpty() || session.hintDbPath.isEmpty()) return {};
    return model::Hints::read(session.hintDbPath, formName, ctlName);
}

void Hint::Form_Load(const QString &formName, const QString &ctlName, const QString &formTitle) {
    lblFormName->setText(formName);
    lblFormTitle->setText(formTitle);
    lblCtlName->setText(ctlName);
    ReadHint();
    show();
    raise();
    activateWindow();
    txtContents->SetFocus();
}

bool Hint::hasAddress() const { return !lblFormName->text().isEmpty() && !lblCtlName->text().isEmpty(); }

void Hint::ReadHint() {
    if (!hasAddress()) return;
    const QString stored = model::Hints::read(session_.hintDbPath, lblFormName->text(), lblCtlName->text());
    if (!stored.isNull()) txtContents->setText(stored);
}

Error Hint::EntryHint() {
    if (!hasAddress())
        return Error(Error::Code::BadInput, QStringLiteral("どの画面のどの項目のヒントかがわからないため、登録できません。"));
    return model::Hints::store(session_.hintDbPath, lblFormName->text(), lblCtlName->text(), lblFormTitle->text(),
                               txtContents->Text());
}

Error Hint::Deleteヒント() {
    if (!hasAddress())
        return Error(Error::Code::BadInput, QStringLiteral("どの画面のどの項目のヒントかがわからないため、削除できません。"));
    if (Error e = model::Hints::remove(session_.hintDbPath, lblFormName->text(), lblCtlName->text()); !e.ok()) return e;
    txtContents->setText(QString());
    return {};
}

void Hint::setEditing(bool editing) {
    editColor_ = editing ? ColorEditing : ColorLocked;
    txtContents->setReadOnly(!editing);
    QPalette p = cmd編集->palette();
    p.setColor(QPalette::Button, colorOf(editColor_));
    // Both mode colours are light: the caption stays readable on them under
    // a dark theme too.
    p.setColor(QPalette::ButtonText, forms::readableOn(QApplication::palette().color(QPalette::ButtonText),
                                                       colorOf(editColor_)));
    cmd編集->setPalette(p);
}

void Hint::report(const Error &error) {
    forms::interaction().messageBox(this, error.message(), forms::mb::OK | forms::mb::Exclamation,
                                    forms::programTitle());
}

void Hint::cmd編集_Click() {
    setEditing(editColor_ == ColorLocked);
    txtContents->SetFocus();
}

void Hint::cmd登録_Click() {
    if (!MSG::ShowMessage(QStringLiteral("登録"), QStringLiteral("確認"), QStringLiteral("ヒント"))) return;
    const Error e = EntryHint();
    if (!e.ok()) return report(e);
    MSG::ShowMessage(QStringLiteral("登録"), QStringLiteral("完了"), QStringLiteral("ヒント"));
}

void Hint::cmd削除_Click() {
    // The question names the hint; the catalogue's plain deletion question
    // would ask about deleting all data.
    if (!MSG::ShowMessage(QStringLiteral("削除"), QStringLiteral("伝票確認2"), QStringLiteral("ヒント"))) return;
    const Error e = Deleteヒント();
    if (!e.ok()) return report(e);
    MSG::ShowMessage(QStringLiteral("削除"), QStringLiteral("完了"), QStringLiteral("ヒント"));
}

void Hint::cmdクリア_Click() { txtContents->setText(QString()); }

}  // namespace tqen
