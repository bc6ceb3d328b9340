#include "codemaster/FrmCodeMaster.h"

#include "platform/forms/Accessible.h"
#include "platform/forms/Anchors.h"

#include "core/ModTqen.h"
#include "platform/forms/FormStack.h"
#include "messages/Msg.h"
#include "model/CodeClass.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/DataGrid.h"
#include "platform/forms/FramedPanel.h"
#include "platform/forms/Interaction.h"
#include "platform/forms/KeyPreview.h"
#include "platform/forms/Twips.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace tqen {

using forms::pixels;

namespace {

const QString kFormName = QStringLiteral("FrmCodeMaster");
const QString kMainScreen = QStringLiteral("TqenMain");
const QString kHintForm = QStringLiteral("Hint");
// The key legend above the button bar; each button sits under its key.
const QString kLegend =
    QStringLiteral("                F1        F2         F5         F6         F9       ESC");

// Where the controls of the upper part sit, in twips.
constexpr forms::TwipPlace kPlaces[] = {
    {"Label17", 300, 300, 600, 360},
    {"cmb区分", 960, 270, 2400, 390},
    {"cmd読込", 3540, 240, 1100, 450},
    {"cmdHint", 7080, 240, 1100, 450},
    {"Gridコードマスタ", 300, 870, 7880, 6480},
    {"lblMsg", 2400, 3600, 3600, 900},
    {"Label37", 300, 7440, 7880, 300},
};
constexpr int kFormWidth = 8480, kFormHeight = 8560;
constexpr int kButtonTop = 7770, kButtonWidth = 960, kButtonHeight = 540;

void place(QWidget *w) { forms::placeByName(w, kPlaces); }

QPushButton *button(const QString &name, const QString &caption, const QString &accessible, QWidget *parent) {
    return forms::button(parent, name, caption, accessible);
}

// True for the values the tick column takes: False and the text "-1"
// (True), in any of the shapes an edit may bring them.
bool isTickValue(const QVariant &v) {
    if (v.typeId() == QMetaType::Bool) return true;
    const QString text = v.toString().trimmed();
    return text == QStringLiteral("-1") || text == QStringLiteral("0") ||
           text.compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0 ||
           text.compare(QStringLiteral("false"), Qt::CaseInsensitive) == 0;
}

bool isTrue(const QVariant &v) {
    if (v.typeId() == QMetaType::Bool) return v.toBool();
    const QString text = v.toString().trimmed();
    return text == QStringLiteral("-1") || text.compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0;
}

}  // namespace

FrmCodeMaster::FrmCodeMaster(const model::Session &session) : forms::Form(kFormName), session_(session) {
    buildForm();
    new forms::KeyPreview(this, [this](QKeyEvent *e) { return formKey(e); });
}

FrmCodeMaster::~FrmCodeMaster() = default;

void FrmCodeMaster::setRegistrationObserver(std::function<void(int)> observer) {
    model::CodeClass::setRegistrationObserver(std::move(observer));
}

void FrmCodeMaster::buildForm() {
    setWindowTitle(QStringLiteral("コード表"));

    cmb区分 = new forms::ComboBox(QStringLiteral("cmb区分"), this);
    // The class is chosen from the list; nothing can be typed.
    cmb区分->setEditable(false);
    cmb区分->installEventFilter(this);
    Label17 = new QLabel(QStringLiteral("区分"), this);
    Label17->setObjectName(QStringLiteral("Label17"));
    Label17->setBuddy(cmb区分);
    cmb区分->setAccessibleName(QStringLiteral("区分"));
    cmd読込 = button(QStringLiteral("cmd読込"), QStringLiteral("読込"), QStringLiteral("区分を読み込む"), this);
    cmdHint = button(QStringLiteral("cmdHint"), QStringLiteral("ヘルプ"), QStringLiteral("ヘルプ"), this);
    cmdHint->setToolTip(QStringLiteral("使い方のヘルプを開きます"));

    datコードマスタ = new forms::DataControl(QStringLiteral("datコードマスタ"), this);
    forms::GridColumn tick{QStringLiteral("チェック"), QStringLiteral("削除"), true, false, {}, 44};
    tick.tickByForm = true;
    Gridコードマスタ = new forms::DataGrid(
        QStringLiteral("Gridコードマスタ"), datコードマスタ,
        {{QStringLiteral("行番号"), QString(), false, true, {}, 0},
         tick,
         {QStringLiteral("code"), QStringLiteral("code"), false, true, {}, 56},
         {QStringLiteral("sname"), QStringLiteral("名　　　　　称"), false, false, {}, 300},
         {QStringLiteral("cnt"), QStringLiteral("cnt"), false, false, {}, 60}},
        this);
    Gridコードマスタ->setAccessibleName(QStringLiteral("コード表"));
    Gridコードマスタ->setColumnHidden(0, true);
    Gridコードマスタ->setSelectionBehavior(QAbstractItemView::SelectItems);
    connect(Gridコードマスタ, &forms::DataGrid::BeforeColUpdate, this, &FrmCodeMaster::grid_BeforeColUpdate);
    connect(Gridコードマスタ, &forms::DataGrid::BeforeUpdate, this, &FrmCodeMaster::grid_BeforeUpdate);
    connect(Gridコードマスタ, &forms::DataGrid::Click, this, &FrmCodeMaster::grid_Click);
    connect(Gridコードマスタ, &forms::DataGrid::KeyDown, this, &FrmCodeMaster::grid_KeyDown);
    connect(Gridコードマスタ, &forms::DataGrid::KeyPress, this, &FrmCodeMaster::grid_KeyPress);
    connect(Gridコードマスタ, &forms::DataGrid::rowColChange, this, &FrmCodeMaster::grid_RowColChange);

    lblMsg = new forms::FramedPanel(QStringLiteral("lblMsg"), this, true);
    Label1 = new QLabel(QStringLiteral("読み込み中です"), lblMsg);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);

    Label37 = new QLabel(kLegend, this);
    Label37->setObjectName(QStringLiteral("Label37"));
    QFont legendFont = QFontDatabase::systemFont(QFontDatabase::FixedFont);

    for (QWidget *w : std::initializer_list<QWidget *>{Label17, cmb区分, cmd読込, cmdHint, Gridコードマスタ, lblMsg, Label37})
        place(w);
    Label1->setGeometry(0, 0, lblMsg->width(), lblMsg->height());
    // The legend fills the width of the grid, in a fixed-pitch font so the
    // buttons can stand under their keys.
    for (int size = 16; size > 6; --size) {
        legendFont.setPixelSize(size);
        if (QFontMetrics(legendFont).horizontalAdvance(kLegend) <= Label37->width()) break;
    }
    Label37->setFont(legendFont);
    lblMsg->hide();

    buildButtons();

    connect(cmd読込, &QPushButton::clicked, this, &FrmCodeMaster::loadWithIndicator);
    connect(cmb区分, &QComboBox::activated, this, &FrmCodeMaster::loadWithIndicator);
    connect(cmdHint, &QPushButton::clicked, this, &FrmCodeMaster::cmdHint_Click);

    // A larger window gives the grid the room; the legend and its buttons
    // stay under it.
    using A = forms::Anchors;
    new A(this, QSize(pixels(kFormWidth), pixels(kFormHeight)),
          {{Gridコードマスタ, A::GrowWidth | A::GrowHeight}, {cmdHint, A::MoveRight}, {Label37, A::MoveDown},
           {cmd戻る, A::MoveDown}, {cmdメニュー, A::MoveDown}, {cmd登録, A::MoveDown}, {cmd削除, A::MoveDown},
           {cmdクリア, A::MoveDown}, {cmd閉じる, A::MoveDown}});

    setTabOrder(cmb区分, cmd読込);
    setTabOrder(cmd読込, Gridコードマスタ);
    setTabOrder(Gridコードマスタ, cmd戻る);
    setTabOrder(cmd戻る, cmdメニュー);
    setTabOrder(cmdメニュー, cmd登録);
    setTabOrder(cmd登録, cmd削除);
    setTabOrder(cmd削除, cmdクリア);
    setTabOrder(cmdクリア, cmd閉じる);
    setTabOrder(cmd閉じる, cmdHint);
}

// The button bar: each button centred under its key in the legend.
void FrmCodeMaster::buildButtons() {
    struct Key {
        QPushButton **button;
        const char *name, *caption, *key, *accessible;
        void (FrmCodeMaster::*click)();
    };
    const Key keys[] = {
        {&cmd戻る, "cmd戻る", "戻る", "F1", "戻る (F1)", &FrmCodeMaster::cmd戻る_Click},
        {&cmdメニュー, "cmdメニュー", "メイン", "F2", "メイン画面 (F2)", &FrmCodeMaster::cmdメニュー_Click},
        {&cmd登録, "cmd登録", "登録", "F5", "登録 (F5)", &FrmCodeMaster::cmd登録_Click},
        {&cmd削除, "cmd削除", "行削除", "F6", "チェックした行を削除 (F6)", &FrmCodeMaster::cmd削除_Click},
        {&cmdクリア, "cmdクリア", "クリア", "F9", "クリア (F9)", &FrmCodeMaster::cmdクリア_Click},
        {&cmd閉じる, "cmd閉じる", "閉じる", "ESC", "閉じる (ESC)", &FrmCodeMaster::cmd閉じる_Click},
    };
    const QFontMetrics fm(Label37->font());
    const int legendLeft = Label37->x();
    const int width = pixels(kButtonWidth);
    for (const Key &k : keys) {
        auto *b = button(QString::fromUtf8(k.name), QString::fromUtf8(k.caption), QString::fromUtf8(k.accessible), this);
        const QString key = QString::fromUtf8(k.key);
        const qsizetype at = kLegend.indexOf(key);
        const int centre = legendLeft + fm.horizontalAdvance(kLegend.left(at)) + fm.horizontalAdvance(key) / 2;
        b->setGeometry(centre - width / 2, pixels(kButtonTop), width, pixels(kButtonHeight));
        b->setToolTip(key);
        connect(b, &QPushButton::clicked, this, k.click);
        *k.button = b;
    }
}

// --- the procedures ---------------------------------------------------------

void FrmCodeMaster::Form_Load() {
    show();
    FormInit();
    BlankCodeGrid();
    cmb区分->setCurrentIndex(0);
    LoadCodeClass();
}

void FrmCodeMaster::FormInit() {
    datコードマスタ->DatabaseName = session_.workDbPath;
    datコードマスタ->RecordSource = QStringLiteral("wコードマスタ");
    cmb区分->Clear();
    cmb区分->AddItem(QStringLiteral("担当"));
}

void FrmCodeMaster::BlankCodeGrid() {
    model::CodeClass::blankGrid(session_.workDbPath, GridRows);
    datコードマスタ->Refresh();
}

void FrmCodeMaster::LoadCodeClass() {
    const QString codeClass = cmb区分->Text();
    if (codeClass.isEmpty()) {
        BlankCodeGrid();
        cmb区分->setFocus();
        return;
    }
    BlankCodeGrid();
    const QList<model::CodeClass::Slot> entries = model::CodeClass::load(session_.dataDbPath, codeClass);
    model::CodeClass::fillGrid(session_.workDbPath, entries);
    datコードマスタ->Refresh();
    if (!entries.isEmpty()) {
        Gridコードマスタ->setRow(std::max(0, Gridコードマスタ->rowAt(0)));
        Gridコードマスタ->setCol(ColName);
        Gridコードマスタ->setFocus();
    }
}

Error FrmCodeMaster::RegisterCodeClass(bool confirm) {
    Gridコードマスタ->Update();
    const QString codeClass = cmb区分->Text();
    if (confirm) {
        if (codeClass.isEmpty()) {
            MSG::ShowMessage(QStringLiteral("入力"), QStringLiteral("区分なし"), QString());
            cmb区分->setFocus();
            return {};
        }
        bool anything = false;
        Gridコードマスタ->MoveFirst();
        while (!Gridコードマスタ->EOF_()) {
            if (!Gridコードマスタ->ColumnText(ColName).isEmpty()) {
                anything = true;
                break;
            }
            Gridコードマスタ->MoveNext();
        }
        Gridコードマスタ->MoveFirst();
        if (!anything) return {};
        if (!MSG::ShowMessage(QStringLiteral("登録"), QStringLiteral("確認"), codeClass))
            return Error(Error::Code::Cancelled, QString());
    }
    const Error written = writeClass(codeClass);
    if (!written.ok()) return written;   // the class and the grid stay as they were
    emit registered(codeClass);
    if (confirm) MSG::ShowMessage(QStringLiteral("登録"), QStringLiteral("標準完了"), codeClass);
    // The grid shows the class as stored: a blank grid registered again
    // would replace the whole class with what was typed into it.
    LoadCodeClass();
    cmb区分->setFocus();
    return {};
}

// Replaces the class with the rows of the grid: the class is either all old
// or all new.
Error FrmCodeMaster::writeClass(const QString &codeClass) {
    Error error;
    const QList<model::CodeClass::Slot> entries = model::CodeClass::gridSlots(session_.workDbPath, &error);
    if (!error.ok()) return error;
    return model::CodeClass::registerClass(session_.dataDbPath, codeClass, entries);
}

Error FrmCodeMaster::DeleteCheckedCodes() {
    Gridコードマスタ->Update();
    bool ticked = false, tickedName = false;
    Gridコードマスタ->MoveFirst();
    while (!Gridコードマスタ->EOF_()) {
        if (isTrue(Gridコードマスタ->Columns(ColTick))) {
            ticked = true;
            if (!Gridコードマスタ->ColumnText(ColName).isEmpty()) tickedName = true;
        }
        Gridコードマスタ->MoveNext();
    }
    Gridコードマスタ->MoveFirst();
    // Ticked lines without a name free nothing; registering the grid then
    // would only overwrite the class with whatever the grid shows.
    if (!ticked || !tickedName) {
        cmb区分->setFocus();
        return {};
    }
    if (!MSG::ShowMessage(QStringLiteral("削除"), QStringLiteral("伝票確認2"), QStringLiteral("指定されたデータ")))
        return Error(Error::Code::Cancelled, QString());
    if (Error e = model::CodeClass::freeTicked(session_.workDbPath); !e.ok()) return e;
    const Error e = RegisterCodeClass(false);
    datコードマスタ->Refresh();
    return e;
}

// --- buttons and keys -------------------------------------------------------

void FrmCodeMaster::report(const Error &error) { forms::showError(this, error, forms::mb::Exclamation); }

void FrmCodeMaster::loadWithIndicator() {
    lblMsg->showNow();
    LoadCodeClass();
    lblMsg->setPanelVisible(false);
}

void FrmCodeMaster::cmd戻る_Click() {
    if (forms::FormStack(QStringLiteral("POP"), name()).toBool()) unload();
}

void FrmCodeMaster::cmdメニュー_Click() {
    forms::FormStack(QStringLiteral("PUSH"), name());
    // The main screen is the program's menu; it is always open, so showing
    // it again only brings it to the front.
    if (forms::Form *main = forms::findForm(kMainScreen)) {
        main->showNormal();
        main->raise();
        main->activateWindow();
    }
}

void FrmCodeMaster::cmd登録_Click() { report(RegisterCodeClass(true)); }

void FrmCodeMaster::cmd削除_Click() { report(DeleteCheckedCodes()); }

void FrmCodeMaster::cmdクリア_Click() {
    FormInit();
    BlankCodeGrid();
    cmb区分->setCurrentIndex(0);
    cmb区分->setFocus();
}

void FrmCodeMaster::cmd閉じる_Click() {
    if (forms::Form *hint = forms::findForm(kHintForm)) hint->unload();
    if (forms::openForms().size() < 2) {
        if (forms::Form *main = forms::findForm(kMainScreen)) main->show();
    }
    unload();
}

void FrmCodeMaster::cmdHint_Click() { forms::interaction().shellOpen(session_.helpFolder + QStringLiteral("VoRadu7.htm")); }

bool FrmCodeMaster::formKey(QKeyEvent *e) {
    if (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
    switch (e->key()) {
    case Qt::Key_F1: cmd戻る_Click(); return true;
    case Qt::Key_F2: cmdメニュー_Click(); return true;
    case Qt::Key_F5: cmd登録_Click(); return true;
    case Qt::Key_F6: cmd削除_Click(); return true;
    case Qt::Key_F9: cmdクリア_Click(); return true;
    case Qt::Key_Escape: unload(); return true;
    default: return false;
    }
}

// The class box: chosen from its list, never typed into.
bool FrmCodeMaster::eventFilter(QObject *watched, QEvent *event) {
    if (watched == cmb区分 && event->type() == QEvent::KeyPress) {
        auto *k = static_cast<QKeyEvent *>(event);
        if (k->key() == Qt::Key_Delete) return true;
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            Gridコードマスタ->setFocus();
            return true;
        }
        const QString text = k->text();
        if (!text.isEmpty() && text.at(0).isPrint()) return true;
    }
    return forms::Form::eventFilter(watched, event);
}

// --- the grid ---------------------------------------------------------------

void FrmCodeMaster::grid_BeforeColUpdate(int col, const QVariant &, QVariant *value, bool *cancel) {
    if (col == ColTick) {
        if (!isTickValue(*value)) {
            *value = false;
            *cancel = true;
            return;
        }
        *value = isTrue(*value);
    } else if (col == ColOrder) {
        // The order key is a number; anything else is refused.
        const QString text = value->toString().trimmed();
        bool number = false;
        text.toInt(&number);
        if (!text.isEmpty() && !number) *cancel = true;
    }
}

void FrmCodeMaster::grid_BeforeUpdate(int, QVariantList *cells, bool *) {
    // An empty cell is stored as Null.
    for (int i = 0; i <= ColName && i < cells->size(); ++i) {
        QVariant &cell = (*cells)[i];
        if (cell.typeId() != QMetaType::Bool && !cell.isNull() && cell.toString().isEmpty()) cell = QVariant();
    }
}

void FrmCodeMaster::flipTick() {
    Gridコードマスタ->setColumnValue(ColTick, !isTrue(Gridコードマスタ->Columns(ColTick)));
}

void FrmCodeMaster::grid_Click() {
    if (Gridコードマスタ->Col() == ColTick) flipTick();
}

void FrmCodeMaster::grid_KeyDown(int key, Qt::KeyboardModifiers, bool *consumed) {
    const int col = Gridコードマスタ->Col();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && col == ColName) {
        *consumed = true;
        if (Gridコードマスタ->EOF_()) return;
        Gridコードマスタ->Update();
        const int row = Gridコードマスタ->Row();
        if (row + 1 < Gridコードマスタ->RowCount()) {
            Gridコードマスタ->setRow(row + 1);
            Gridコードマスタ->setCol(ColName);
        }
    } else if (key == Qt::Key_Space && col == ColTick) {
        // The keyboard's way to tick a line.
        *consumed = true;
        flipTick();
    }
}

void FrmCodeMaster::grid_KeyPress(const QString &, bool *consumed) {
    // Codes cannot be typed.
    if (Gridコードマスタ->Col() == ColCode) *consumed = true;
}

void FrmCodeMaster::grid_RowColChange() {
    ModTqen::SetImeOpen(Gridコードマスタ, Gridコードマスタ->Col() == ColName);
}

}  // namespace tqen
