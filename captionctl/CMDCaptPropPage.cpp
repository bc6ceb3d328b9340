#include "captionctl/CMDCaptPropPage.h"

#include "captionctl/AboutBox.h"
#include "captionctl/CMDCaptCtrl.h"
#include "captionctl/Module.h"
#include "captionctl/StringTable.h"
#include "platform/com/FontSubstitutes.h"
#include "platform/com/TypeLib.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace tqen::captionctl {

namespace {

enum Kind { Combo, PointerCombo, Check, Text, Long, Single, Button };

struct Binding {
    int id;
    Kind kind;
    const char *property;  // bound property, or nullptr
    const char *label;     // text beside it, or nullptr
    int x, y, w, h;        // dialog units
    bool hidden;
};

const Binding kBindings[] = {
    {254, Combo, "BorderEffect", "Border Effect", 82, 7, 60, 56, false},
    {259, Combo, "BorderStyle", "Border Style", 82, 27, 60, 30, false},
    {260, Combo, "ChildBorderEffect", "Child Border Effect", 82, 47, 60, 57, false},
    {261, Combo, "LabelAlignment", "Label Alignment", 82, 67, 60, 44, false},
    {262, Combo, "LabelBorderEffect", "Label Border Effect", 82, 87, 60, 54, false},
    {263, Combo, "LabelBorderStyle", "Label Border Style", 82, 107, 60, 35, false},
    {267, Combo, "LabelPosition", "Label Position", 82, 127, 60, 81, false},
    {264, PointerCombo, "MousePointer", "Mouse Pointer", 82, 147, 60, 83, false},
    {242, Text, "Caption", "Caption", 49, 170, 112, 13, false},
    {201, Text, "ToolTip", "Tool Tip:", 49, 188, 112, 13, false},
    {255, Check, "Enabled", "Enabled", 6, 210, 40, 8, false},
    {256, Check, "LabelAutoSize", "Label Auto Size", 47, 210, 64, 8, false},
    {253, Check, "AutoAdjust", "Auto Adjust", 114, 210, 53, 8, false},
    {243, Single, "LabelHeight", "Label Height", 218, 4, 32, 13, false},
    {244, Single, "LabelLeft", "Label Left", 218, 22, 32, 13, false},
    {245, Single, "LabelTop", "Label Top", 218, 39, 32, 13, false},
    {246, Single, "LeftMargin", "Left Margin", 218, 58, 32, 13, false},
    {270, Single, "LabelWidth", "Label Width", 218, 76, 32, 13, false},
    {268, Single, "RightMargin", "Right Margin", 218, 94, 32, 13, false},
    {269, Single, "Spacing", "Spacing", 218, 111, 32, 13, false},
    {271, Single, "TopMargin", "Top Margin", 218, 130, 32, 13, false},
    {241, Single, "BottomMargin", "Bottom Margin", 218, 148, 32, 13, false},
    {220, Button, nullptr, "保存", 170, 167, 80, 16, false},
    {221, Button, nullptr, "リセット", 170, 186, 80, 16, false},
    {222, Button, nullptr, "製品情報", 170, 206, 80, 16, false},
    {229, Long, "BackColor", nullptr, 148, 3, 6, 12, true},
    {227, Long, "ForeColor", nullptr, 148, 18, 6, 12, true},
    {238, Long, "ShadowColor", nullptr, 148, 33, 6, 12, true},
    {235, Single, "FontSize", nullptr, 148, 78, 6, 12, true},
    {202, Text, "FontName", nullptr, 148, 93, 6, 12, true},
    {204, Check, "FontBold", nullptr, 148, 108, 8, 10, true},
    {209, Check, "FontItalic", nullptr, 148, 121, 8, 10, true},
    {211, Check, "FontStrikeThru", nullptr, 148, 147, 8, 10, true},
    {210, Check, "FontUnderline", nullptr, 148, 134, 8, 10, true},
};

// Which enumeration fills which lists.
struct Filling {
    const char *enumName;
    int ids[3];
};
const Filling kFillings[] = {{"enumMP", {264, 0, 0}},
                             {"enumBE", {254, 260, 262}},
                             {"enumBS", {259, 263, 0}},
                             {"enumA", {261, 0, 0}},
                             {"enumLP", {267, 0, 0}}};

// The page's help: its description and its topic in the library's help file.
const char *const kHelpText = "Customize ZU Derarari's properties";
constexpr quint32 kHelpContext = 74001;

QString numberText(double v) { return QString::number(v, 'g', 7); }

}  // namespace

CMDCaptPropPage::CMDCaptPropPage(QWidget *parent) : QWidget(parent) {
    Module::objectCreated();
    com::installFontSubstitutes();
    setObjectName("CMDCaptPropPage");
    QFont f(QStringLiteral("ＭＳ Ｐゴシック"));
    f.setPixelSize(12);  // 9 points on the screen
    setFont(f);
    // Page members and their first values.
    m_members = {{"BorderEffect", 0}, {"BorderStyle", 0}, {"ChildBorderEffect", 0},
                 {"LabelAlignment", 0}, {"LabelBorderEffect", 0}, {"LabelBorderStyle", 0},
                 {"LabelPosition", 7}, {"MousePointer", 0}, {"Caption", QString()},
                 {"ToolTip", QStringLiteral("MDCapt")}, {"Enabled", false},
                 {"LabelAutoSize", false}, {"AutoAdjust", false}, {"FontBold", false},
                 {"FontItalic", false}, {"FontStrikeThru", false}, {"FontUnderline", false},
                 {"FontName", QStringLiteral("MS Pゴシック")}, {"BackColor", 0LL},
                 {"ForeColor", 0LL}, {"ShadowColor", 0LL}, {"FontSize", 0.0},
                 {"LabelHeight", 0.0}, {"LabelWidth", 0.0}, {"LabelTop", 0.0},
                 {"LeftMargin", 0.0}, {"RightMargin", 0.0}, {"Spacing", 0.0},
                 {"TopMargin", 0.0}, {"LabelLeft", 0.0}, {"BottomMargin", 0.0}};
    build();
}

CMDCaptPropPage::~CMDCaptPropPage() { Module::objectDestroyed(); }

QString CMDCaptPropPage::title() const { return loadString(IDS_PAGE_CAPTION); }

com::PageHelp CMDCaptPropPage::help() const {
    return {QString::fromLatin1(kHelpText), Module::instance().helpFile(), kHelpContext};
}

void CMDCaptPropPage::build() {
    const QFontMetrics fm(font());
    const int baseX =
        (fm.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 26 + 1) / 2;
    const int baseY = fm.height();
    auto px = [&](int x, int y, int w, int h) {
        return QRect(x * baseX / 4, y * baseY / 8, w * baseX / 4, h * baseY / 8);
    };
    setFixedSize(px(0, 0, 255, 232).size());
    int leftRow = 0;
    for (const Binding &b : kBindings) {
        QWidget *w = nullptr;
        switch (b.kind) {
        case Combo:
        case PointerCombo: {
            auto *cb = new QComboBox(this);
            connect(cb, &QComboBox::currentIndexChanged, this, [this, id = b.id] { markChanged(id); });
            w = cb;
            break;
        }
        case Check: {
            auto *ch = new QCheckBox(b.hidden ? QString() : QString::fromUtf8(b.label), this);
            connect(ch, &QCheckBox::toggled, this, [this, id = b.id] { markChanged(id); });
            w = ch;
            break;
        }
        case Text:
        case Long:
        case Single: {
            auto *ed = new QLineEdit(this);
            connect(ed, &QLineEdit::textChanged, this, [this, id = b.id] { markChanged(id); });
            w = ed;
            break;
        }
        case Button: {
            auto *bt = new QPushButton(QString::fromUtf8(b.label), this);
            if (b.id == 220) connect(bt, &QPushButton::clicked, this, &CMDCaptPropPage::saveDefaults);
            if (b.id == 221) connect(bt, &QPushButton::clicked, this, &CMDCaptPropPage::resetDefaults);
            if (b.id == 222) connect(bt, &QPushButton::clicked, this, [this] { showAboutBox(this); });
            w = bt;
            break;
        }
        }
        w->setObjectName(QStringLiteral("ctl%1").arg(b.id));
        QRect g = px(b.x, b.y, b.w, b.h);
        if (b.kind == Combo || b.kind == PointerCombo) g.setHeight(px(0, 0, 0, 13).height());
        w->setGeometry(g);
        if (b.label) w->setAccessibleName(QString::fromUtf8(b.label));
        w->setVisible(!b.hidden);
        m_controls.insert(b.id, w);
        // The label beside it.
        if (b.label && b.kind != Check && b.kind != Button) {
            auto *label = new QLabel(QString::fromUtf8(b.label), this);
            QRect lg;
            if (b.id == 242) lg = px(6, 170, 40, 8);
            else if (b.id == 201) lg = px(7, 190, 40, 8);
            else if (b.x >= 200) lg = px(160, b.y + 2, 56, 8);
            else lg = px(7, 10 + 20 * leftRow++, 72, 8);
            label->setGeometry(lg);
            label->setBuddy(w);
        }
    }
}

void CMDCaptPropPage::markChanged(int id) {
    if (m_loading) return;
    m_changed.insert(id);
    m_dirty = true;
}

void CMDCaptPropPage::fillCombos() {
    if (m_combosFilled) return;
    m_combosFilled = true;
    const auto lib = com::loadTypeLibFromFile(Module::moduleFilePath());
    if (!lib) return;  // the lists stay empty
    int done = 0;
    m_loading = true;
    for (const com::TypeDescription &t : lib->types) {
        for (const Filling &f : kFillings) {
            if (t.name != QLatin1String(f.enumName)) continue;
            for (int id : f.ids) {
                auto *cb = qobject_cast<QComboBox *>(control(id));
                if (!id || !cb) continue;
                cb->clear();
                for (const com::TypeMember &m : t.members)
                    cb->addItem(QString::asprintf("%ld - %s", long(m.id), qPrintable(m.name)));
                ++done;
            }
        }
        if (done >= 8) break;
    }
    m_loading = false;
}

void CMDCaptPropPage::setObjects(const QList<com::Dispatch *> &objects) { m_objects = objects; }

void CMDCaptPropPage::activate() {
    fillCombos();
    if (!m_objects.isEmpty()) {
        com::Dispatch *obj = m_objects.first();
        for (const Binding &b : kBindings) {
            if (!b.property) continue;
            const com::DispResult r = obj->getProperty(QString::fromLatin1(b.property));
            if (!r.ok()) continue;
            switch (b.kind) {
            case Combo:
            case PointerCombo: m_members[b.property] = r.value.toInt(); break;
            case Check: m_members[b.property] = r.value.toBool(); break;
            case Long: m_members[b.property] = qlonglong(r.value.toLongLong()); break;
            case Single: m_members[b.property] = r.value.toDouble(); break;
            default: m_members[b.property] = r.value.toString(); break;
            }
        }
    }
    membersToControls();
    m_changed.clear();
    m_dirty = false;
}

void CMDCaptPropPage::membersToControls(const QList<int> &ids) {
    m_loading = true;
    for (const Binding &b : kBindings) {
        if (!b.property || (!ids.isEmpty() && !ids.contains(b.id))) continue;
        QWidget *w = control(b.id);
        const QVariant v = m_members.value(b.property);
        switch (b.kind) {
        case Combo: static_cast<QComboBox *>(w)->setCurrentIndex(v.toInt()); break;
        case PointerCombo: {
            const int value = v.toInt();
            static_cast<QComboBox *>(w)->setCurrentIndex(value == 99 ? 15 : value);
            break;
        }
        case Check: static_cast<QCheckBox *>(w)->setChecked(v.toBool()); break;
        case Long: static_cast<QLineEdit *>(w)->setText(QString::number(v.toLongLong())); break;
        case Single: static_cast<QLineEdit *>(w)->setText(numberText(v.toDouble())); break;
        case Text: static_cast<QLineEdit *>(w)->setText(v.toString()); break;
        case Button: break;
        }
    }
    m_loading = false;
}

void CMDCaptPropPage::controlsToMembers() {
    for (const Binding &b : kBindings) {
        if (!b.property) continue;
        QWidget *w = control(b.id);
        switch (b.kind) {
        case Combo: m_members[b.property] = static_cast<QComboBox *>(w)->currentIndex(); break;
        case PointerCombo: {
            const int index = static_cast<QComboBox *>(w)->currentIndex();
            m_members[b.property] = index == 15 ? 99 : index;
            break;
        }
        case Check: m_members[b.property] = static_cast<QCheckBox *>(w)->isChecked(); break;
        case Long: m_members[b.property] = static_cast<QLineEdit *>(w)->text().trimmed().toLongLong(); break;
        case Single: m_members[b.property] = static_cast<QLineEdit *>(w)->text().trimmed().toDouble(); break;
        case Text: m_members[b.property] = static_cast<QLineEdit *>(w)->text(); break;
        case Button: break;
        }
    }
}

bool CMDCaptPropPage::apply() {
    controlsToMembers();
    bool ok = true;
    for (const Binding &b : kBindings) {
        if (!b.property || !m_changed.contains(b.id)) continue;
        QVariant v = m_members.value(b.property);
        for (com::Dispatch *obj : m_objects) {
            const com::DispResult r = obj->putProperty(QString::fromLatin1(b.property), v);
            if (!r.ok()) {
                ok = false;
                QMessageBox::warning(this, title(), r.text);
            }
        }
    }
    if (ok) {
        m_changed.clear();
        m_dirty = false;
    }
    return ok;
}

void CMDCaptPropPage::showEvent(QShowEvent *e) {
    membersToControls();
    QWidget::showEvent(e);
}

void CMDCaptPropPage::saveDefaults() {
    controlsToMembers();
    DefaultsProfile *prof = Module::instance().profile();
    if (prof) {
        for (const PropertyDef &p : CMDCaptCtrl::properties()) {
            if (!(p.profile & WrittenBySave)) continue;
            const QVariant v = m_members.value(QString::fromLatin1(p.name));
            switch (p.kind) {
            case PropKind::Flag:
            case PropKind::ShortFlag: prof->writeInt(p.profileKey, v.toBool() ? 1 : 0); break;
            case PropKind::FontPoints: prof->writeFloat(p.profileKey, v.toDouble()); break;
            case PropKind::Text:
            case PropKind::FontFace: prof->writeString(p.profileKey, v.toString()); break;
            default: prof->writeInt(p.profileKey, v.toLongLong()); break;
            }
        }
    }
    m_dirty = false;
}

void CMDCaptPropPage::resetDefaults() {
    DefaultsProfile *prof = Module::instance().profile();
    if (!prof || !prof->deleteSection()) return;
    const QHash<QString, QVariant> factory = {
        {"AutoAdjust", false}, {"Enabled", true}, {"LabelAutoSize", false},
        {"BorderEffect", 0}, {"BorderStyle", 0}, {"ChildBorderEffect", 0},
        {"LabelAlignment", 0}, {"LabelBorderEffect", 0}, {"LabelBorderStyle", 0},
        {"LabelPosition", 7}, {"MousePointer", 0}, {"Caption", QString()},
        {"ToolTip", QStringLiteral("MDCapt")}, {"FontBold", false}, {"FontItalic", false},
        {"FontStrikeThru", false}, {"FontUnderline", false},
        {"FontName", QStringLiteral("MS Pゴシック")}, {"BackColor", 16777215LL},
        {"ForeColor", 0LL}, {"FontSize", 9.0}, {"ShadowColor", 0LL}};
    QList<int> ids;
    for (auto it = factory.begin(); it != factory.end(); ++it) {
        m_members[it.key()] = it.value();
        for (const Binding &b : kBindings)
            if (b.property && it.key() == QLatin1String(b.property)) ids << b.id;
    }
    membersToControls(ids);
    for (const Binding &b : kBindings)
        if (b.property) m_changed.insert(b.id);
    controlsToMembers();
    m_dirty = false;
}

}  // namespace tqen::captionctl
