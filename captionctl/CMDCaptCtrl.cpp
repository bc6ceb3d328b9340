// CMDCaptCtrl: construction, the dispatch interface and persistence.
#include "captionctl/CMDCaptCtrl.h"

#include "captionctl/CMDCaptAccessible.h"

#include "captionctl/AboutBox.h"
#include "captionctl/CaptionToolTip.h"
#include "captionctl/MDCaptIds.h"
#include "captionctl/MDCaptTypeLib.h"
#include "captionctl/Module.h"
#include "captionctl/StringTable.h"
#include "platform/com/FontSubstitutes.h"
#include "platform/com/Units.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>

#include <cmath>

namespace tqen::captionctl {

using com::DispResult;

namespace {

const char *const kTypeMismatch = "型が一致しません。";
const char *const kInvalidValue = "プロパティの値が不正です。";
const char *const kReadOnly = "プロパティは読み取り専用です。";

// A number from an automation value: bool as -1/0, reals rounded.
bool toLong(const QVariant &v, qint64 *out) {
    if (!v.isValid() || v.isNull()) return false;
    switch (v.typeId()) {
    case QMetaType::Bool:
        *out = v.toBool() ? -1 : 0;
        return true;
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = v.toDouble();
        if (!std::isfinite(d) || std::fabs(d) > 9e15) return false;
        *out = qint64(std::nearbyint(d));
        return true;
    }
    default: {
        bool ok = false;
        *out = v.toLongLong(&ok);
        if (ok) return true;
        const double d = v.toDouble(&ok);
        if (!ok || !std::isfinite(d) || std::fabs(d) > 9e15) return false;
        *out = qint64(std::nearbyint(d));
        return true;
    }
    }
}

DispResult rangeError(int messageId) {
    return DispResult::error(com::kErrInvalidPropertyValue, loadString(messageId));
}
DispResult mismatch() { return DispResult::error(com::kErrTypeMismatch, kTypeMismatch); }
DispResult memberNotFound() {
    return DispResult::error(com::kErrMemberNotFound,
                             "オブジェクトでサポートされていないプロパティまたはメソッドです。");
}

QPixmap pictureFrom(const QVariant &v) {
    if (v.canConvert<QPixmap>() && v.typeId() == QMetaType::QPixmap) return v.value<QPixmap>();
    if (v.typeId() == QMetaType::QImage) return QPixmap::fromImage(v.value<QImage>());
    if (v.typeId() == QMetaType::QByteArray) {
        QPixmap p;
        p.loadFromData(v.toByteArray());
        return p;
    }
    return {};
}

QByteArray pictureBytes(const QPixmap &p) {
    if (p.isNull()) return {};
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    p.save(&buf, "PNG");
    return bytes;
}

bool fontFrom(const QVariant &v, QFont *out) {
    if (v.typeId() == QMetaType::QFont) {
        *out = v.value<QFont>();
        return true;
    }
    if (v.typeId() != QMetaType::QVariantMap) return false;
    const QVariantMap m = v.toMap();
    QFont f = CMDCaptCtrl::defaultFont();
    if (m.contains("Name")) f.setFamily(m.value("Name").toString());
    if (m.contains("Size") && m.value("Size").toDouble() > 0)
        f.setPointSizeF(m.value("Size").toDouble());
    if (m.contains("Weight")) f.setBold(m.value("Weight").toInt() >= 600);
    if (m.contains("Bold")) f.setBold(m.value("Bold").toBool());
    f.setItalic(m.value("Italic").toBool());
    f.setUnderline(m.value("Underline").toBool());
    f.setStrikeOut(m.value("Strikethrough").toBool());
    *out = f;
    return true;
}

QVariantMap fontToMap(const QFont &f) {
    return {{"Name", f.family()},
            {"Size", f.pointSizeF()},
            {"Bold", f.bold()},
            {"Italic", f.italic()},
            {"Underline", f.underline()},
            {"Strikethrough", f.strikeOut()},
            {"Weight", f.bold() ? 700 : 400},
            {"Charset", 128}};
}

// Numbers of the defaults profile read at construction (the initial size).
constexpr int kProfileWidth = 104;
constexpr int kProfileHeight = 105;

}  // namespace

QFont CMDCaptCtrl::defaultFont() {
    QFont f(loadString(IDS_DEFAULT_FONT));
    f.setPointSizeF(double(property(DISPID_FontSize)->number));
    return f;
}

QString windowClassName(const QWidget *w) {
    const QVariant cls = w->property("windowClass");
    if (cls.isValid()) return cls.toString();
    return QString::fromLatin1(w->metaObject()->className());
}

CMDCaptCtrl::CMDCaptCtrl(QWidget *parent) : QWidget(parent) {
    Module::objectCreated();
    CMDCaptAccessible::controlCreated();
    com::installFontSubstitutes();
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    setAutoFillBackground(false);
    resetToExchangeDefaults();
    m_tipTimer.setSingleShot(true);
    connect(&m_tipTimer, &QTimer::timeout, this, &CMDCaptCtrl::toolTipTimer);
    createOverlay();
    CaptionToolTip::attach();
    if (DefaultsProfile *prof = Module::instance().profile()) {
        const int w = prof->readInt(kProfileWidth, 0), h = prof->readInt(kProfileHeight, 0);
        if (w != 0 && h != 0) resize(w, h);
    }
    m_cachedEnabled = isEnabled();
    if (qApp)
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget *old, QWidget *now) {
            if (now) m_focusInside = isAncestorOf(now);
            if ((old && isAncestorOf(old)) || (now && isAncestorOf(now))) invalidateChildBorder();
        });
}

CMDCaptCtrl::~CMDCaptCtrl() {
    if (CaptionToolTip::lastUnderMouse() == this && CaptionToolTip::state() != CaptionToolTip::Idle)
        hideToolTip(CaptionToolTip::Idle);
    m_tipTimer.stop();
    CaptionToolTip::detach();
    CMDCaptAccessible::controlDestroyed();
    Module::objectDestroyed();
}

void CMDCaptCtrl::setAmbient(const com::Ambient &ambient) {
    m_ambient = ambient;
    applyCursor();
}

QList<com::Guid> CMDCaptCtrl::propertyPages() const {
    return {CLSID_MDCaptPropPage, com::CLSID_StockColorPage, com::CLSID_StockFontPage,
            com::CLSID_StockPicturePage};
}

com::Guid CMDCaptCtrl::pageOfProperty(int dispid) const {
    const PropertyDef *p = property(dispid);
    switch (p ? p->kind : PropKind::Method) {
    case PropKind::Colour: return com::CLSID_StockColorPage;
    case PropKind::Font: return com::CLSID_StockFontPage;
    case PropKind::Picture: return com::CLSID_StockPicturePage;
    default: return {};
    }
}

// ---- dispatch ----

int CMDCaptCtrl::idOfName(const QString &name) const {
    for (const PropertyDef &p : properties())
        if (name.compare(QLatin1String(p.name), Qt::CaseInsensitive) == 0) return p.dispid;
    return com::DISPID_UNKNOWN;
}

float CMDCaptCtrl::lengthOut(int pixels, bool horizontal) const {
    const double dpi = horizontal ? com::screenDpiX() : com::screenDpiY();
    return com::pixelsToContainer(pixels, m_ambient.units, dpi);
}

DispResult CMDCaptCtrl::get(int dispid) {
    const PropertyDef *p = property(dispid);
    if (!p || p->kind == PropKind::Method) return memberNotFound();
    const QVariant v = p->fetch(*this);
    switch (p->kind) {
    case PropKind::ShortFlag: return DispResult::success(v.toInt() != 0);
    case PropKind::Length: return DispResult::success(lengthOut(v.toInt(), p->horizontal()));
    case PropKind::FontPoints: return DispResult::success(float(v.toDouble()));
    default: return DispResult::success(v);
    }
}

// A value sent to property p as p stores it, or the error that refuses it.
DispResult CMDCaptCtrl::parse(const PropertyDef &p, const QVariant &value, QVariant *stored) const {
    qint64 n = 0;
    switch (p.kind) {
    case PropKind::Enum:
    case PropKind::ShortFlag:
    case PropKind::Flag:
        if (!toLong(value, &n)) return mismatch();
        if (!p.accepts(n)) return rangeError(p.errorId);
        *stored = p.kind == PropKind::Flag ? QVariant(n != 0) : QVariant(int(n));
        return DispResult::success();
    case PropKind::Length: {
        bool ok = false;
        const double v = value.toDouble(&ok);
        if (!ok || !std::isfinite(v)) return mismatch();
        if (v < 0) return rangeError(p.errorId);
        const double dpi = p.horizontal() ? com::screenDpiX() : com::screenDpiY();
        const long px = com::containerToPixels(v, m_ambient.units, dpi);
        // A length the 16-bit member cannot hold is refused like a negative one.
        if (px > p.hi) return rangeError(p.errorId);
        *stored = int(px);
        return DispResult::success();
    }
    case PropKind::Colour:
        if (!toLong(value, &n)) return mismatch();
        *stored = uint(quint32(n));
        return DispResult::success();
    case PropKind::Text:
    case PropKind::FontFace:
        if (!value.canConvert<QString>()) return mismatch();
        *stored = value.toString();
        return DispResult::success();
    case PropKind::Picture: {
        const QPixmap pic = pictureFrom(value);
        if (pic.isNull()) return DispResult::error(com::kErrInvalidPicture, loadString(p.errorId));
        *stored = QVariant::fromValue(pic);
        return DispResult::success();
    }
    case PropKind::FontPoints: {
        bool ok = false;
        const double size = value.toDouble(&ok);
        if (!ok || !std::isfinite(size)) return mismatch();
        if (size <= 0 || size > 2048)
            return DispResult::error(com::kErrInvalidPropertyValue, kInvalidValue);
        *stored = size;
        return DispResult::success();
    }
    case PropKind::Font: {
        QFont f;
        if (!fontFrom(value, &f)) return mismatch();
        *stored = QVariant::fromValue(f);
        return DispResult::success();
    }
    case PropKind::Handle: return DispResult::error(com::kErrReadOnlyProperty, kReadOnly);
    case PropKind::PixelSize:
    case PropKind::Method: break;
    }
    return memberNotFound();
}

DispResult CMDCaptCtrl::put(int dispid, const QVariant &value) {
    const PropertyDef *p = property(dispid);
    if (!p) return memberNotFound();
    if (p->kind == PropKind::PixelSize) return DispResult::success();  // has no effect
    QVariant stored;
    const DispResult r = parse(*p, value, &stored);
    if (!r.ok()) return r;
    // Setting the caption it already has is no change.
    if (p->after == AfterSet::CaptionChanged && p->fetch(*this) == stored) return r;
    p->store(*this, stored);
    afterSet(*p);
    return r;
}

// What follows a successful set.
void CMDCaptCtrl::afterSet(const PropertyDef &p) {
    m_modified = true;
    switch (p.after) {
    case AfterSet::Repaint: update(); break;
    case AfterSet::RepaintFitChild:
        update();
        LayoutChild(FitChild);
        break;
    case AfterSet::RepaintFitControlIfAuto:
        update();
        if (m_AutoAdjust) LayoutChild(FitControl);
        break;
    case AfterSet::FitControlRepaint:
        LayoutChild(FitControl);
        update();
        break;
    case AfterSet::RepaintChildren:
        update();
        for (QWidget *w : findChildren<QWidget *>()) w->update();
        invalidateChildBorder();
        break;
    case AfterSet::Cursor: applyCursor(); break;
    case AfterSet::ToolTip:
        if (CaptionToolTip::lastUnderMouse() == this && CaptionToolTip::state() != CaptionToolTip::Idle &&
            CaptionToolTip::state() != CaptionToolTip::Suppressed)
            hideToolTip(CaptionToolTip::Idle);
        else
            m_tipTimer.stop();
        break;
    case AfterSet::FontChanged: OnFontChanged(); break;
    case AfterSet::LabelSize:
        UpdateLabelSize();
        update();
        break;
    case AfterSet::CaptionChanged: OnTextChanged(); break;
    case AfterSet::Nothing: break;
    }
}

DispResult CMDCaptCtrl::invoke(int dispid, const QVariantList &args) {
    if (dispid == DISPID_ABOUTBOX) {
        showAboutBox(this);
        return DispResult::success();
    }
    if (args.isEmpty()) return get(dispid);
    return put(dispid, args.first());
}

// ---- persistence ----

void CMDCaptCtrl::resetToExchangeDefaults() {
    for (const PropertyDef &p : properties())
        if (p.persisted) p.store(*this, p.defaultValue());
}

void CMDCaptCtrl::afterPropertiesChanged() {
    applyCursor();
    updateMnemonic();
    m_modified = false;
    update();
    invalidateChildBorder();
}

namespace {

// A row's value as the defaults profile holds it, or an invalid QVariant to
// keep the value of the reset. The profile's values are taken without the
// range tests of a set.
QVariant readProfile(const DefaultsProfile &prof, const PropertyDef &p) {
    switch (p.kind) {
    case PropKind::Enum:
    case PropKind::ShortFlag:
    case PropKind::Length: return int(qint16(prof.readInt(p.profileKey, int(p.number))));
    case PropKind::Flag: return prof.readInt(p.profileKey, int(p.number)) != 0;
    case PropKind::Colour: return uint(quint32(prof.readLong(p.profileKey, qint64(p.number))));
    case PropKind::FontFace: {
        const QString face = prof.readString(p.profileKey, QString());
        return face.isEmpty() ? p.defaultValue() : face;
    }
    case PropKind::FontPoints: {
        // The size goes through the currency type: four decimal places.
        const double size =
            std::round(double(prof.readFloat(p.profileKey, float(p.number))) * 10000.0) / 10000.0;
        return size > 0 ? QVariant(size) : QVariant();
    }
    default: return {};
    }
}

// A row's stored value as a property bag holds it, and back (false: a value
// that cannot be read, which leaves the default).
QVariant toBag(const PropertyDef &p, const QVariant &stored) {
    switch (p.kind) {
    case PropKind::Picture: return pictureBytes(stored.value<QPixmap>());
    case PropKind::Font: return fontToMap(stored.value<QFont>());
    default: return stored;
    }
}

bool fromBag(const PropertyDef &p, const QVariant &v, QVariant *stored) {
    qint64 n = 0;
    switch (p.kind) {
    case PropKind::Enum:
    case PropKind::ShortFlag:
    case PropKind::Length:
        if (!toLong(v, &n)) return false;
        *stored = int(qint16(n));
        return true;
    case PropKind::Flag:
        if (!toLong(v, &n)) return false;
        *stored = n != 0;
        return true;
    case PropKind::Colour:
        if (!toLong(v, &n)) return false;
        *stored = uint(quint32(n));
        return true;
    case PropKind::Text: *stored = v.toString(); return true;
    // A picture that cannot be read leaves the icon empty; loading goes on.
    case PropKind::Picture: *stored = QVariant::fromValue(pictureFrom(v)); return true;
    case PropKind::Font: {
        QFont f;
        if (!fontFrom(v, &f)) return false;
        *stored = QVariant::fromValue(f);
        return true;
    }
    default: return false;
    }
}

}  // namespace

com::HResult CMDCaptCtrl::initNew() {
    resetToExchangeDefaults();
    if (const DefaultsProfile *prof = Module::instance().profile()) {
        for (const PropertyDef &p : properties()) {
            if (!(p.profile & ReadAtReset)) continue;
            const QVariant v = readProfile(*prof, p);
            if (v.isValid()) p.store(*this, v);
        }
        m_Caption = m_ambient.displayName;
    }
    afterPropertiesChanged();
    return com::S_OK;
}

com::HResult CMDCaptCtrl::load(const com::PropertyBag &bag) {
    resetToExchangeDefaults();
    QVariant v;
    if (bag.read("_ExtentX", &v)) {
        QVariant vy;
        if (bag.read("_ExtentY", &vy) && v.toLongLong() > 0 && vy.toLongLong() > 0)
            resize(int(com::himetricToPixels(long(v.toLongLong()), com::screenDpiX())),
                   int(com::himetricToPixels(long(vy.toLongLong()), com::screenDpiY())));
    }
    for (const PropertyDef &p : properties()) {
        QVariant stored;
        if (p.persisted && bag.read(p.name, &v) && fromBag(p, v, &stored)) p.store(*this, stored);
    }
    afterPropertiesChanged();
    return com::S_OK;
}

com::HResult CMDCaptCtrl::save(com::PropertyBag *bag, bool clearDirty) {
    if (!bag) return com::E_POINTER;
    bag->write("_Version", (kLibMajor << 16) | kLibMinor);
    bag->write("_ExtentX", qlonglong(com::pixelsToHimetric(width(), com::screenDpiX())));
    bag->write("_ExtentY", qlonglong(com::pixelsToHimetric(height(), com::screenDpiY())));
    // Stock properties in use: back colour, caption, font, fore colour, enabled.
    bag->write("_StockProps", 0x4F);
    for (const PropertyDef &p : properties())
        if (p.persisted) bag->write(p.name, toBag(p, p.fetch(*this)));
    if (clearDirty) m_modified = false;
    return com::S_OK;
}

}  // namespace tqen::captionctl
