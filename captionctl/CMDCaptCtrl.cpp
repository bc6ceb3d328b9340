// CMDCaptCtrl: construction, the dispatch interface and persistence.
#include "captionctl/CMDCaptCtrl.h"

#include "captionctl/AboutBox.h"
#include "captionctl/CaptionToolTip.h"
#include "captionctl/MDCaptIds.h"
#include "captionctl/Module.h"
#include "captionctl/StringTable.h"
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

bool toBoolValue(const QVariant &v, qint64 *out) {
    if (!toLong(v, out)) return false;
    return true;
}

DispResult rangeError(int messageId) {
    return DispResult::error(com::kErrInvalidPropertyValue, loadString(messageId));
}
DispResult mismatch() { return DispResult::error(com::kErrTypeMismatch, kTypeMismatch); }

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

QFont defaultFont() {
    QFont f(loadString(IDS_DEFAULT_FONT));
    f.setPointSizeF(9.0);
    return f;
}

bool fontFrom(const QVariant &v, QFont *out) {
    if (v.typeId() == QMetaType::QFont) {
        *out = v.value<QFont>();
        return true;
    }
    if (v.typeId() != QMetaType::QVariantMap) return false;
    const QVariantMap m = v.toMap();
    QFont f = defaultFont();
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

}  // namespace

QString windowClassName(const QWidget *w) {
    const QVariant cls = w->property("windowClass");
    if (cls.isValid()) return cls.toString();
    return QString::fromLatin1(w->metaObject()->className());
}

CMDCaptCtrl::CMDCaptCtrl(QWidget *parent) : QWidget(parent) {
    Module::objectCreated();
    installFontSubstitutions();
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    setAutoFillBackground(false);
    m_Font = defaultFont();
    m_tipTimer.setSingleShot(true);
    connect(&m_tipTimer, &QTimer::timeout, this, &CMDCaptCtrl::toolTipTimer);
    createOverlay();
    CaptionToolTip::attach();
    if (DefaultsProfile *prof = Module::instance().profile()) {
        const int w = prof->readInt(104, 0), h = prof->readInt(105, 0);
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
    switch (dispid) {
    case DISPID_BACKCOLOR:
    case DISPID_FORECOLOR:
    case DISPID_ShadowColor: return com::CLSID_StockColorPage;
    case DISPID_FONT: return com::CLSID_StockFontPage;
    case DISPID_MouseIcon: return com::CLSID_StockPicturePage;
    default: return {};
    }
}

// ---- dispatch ----

int CMDCaptCtrl::idOfName(const QString &name) const {
    for (int i = 0; i < kMemberCount; ++i)
        if (name.compare(QLatin1String(kMembers[i].name), Qt::CaseInsensitive) == 0)
            return kMembers[i].dispid;
    return com::DISPID_UNKNOWN;
}

float CMDCaptCtrl::lengthOut(qint16 pixels, bool horizontal) const {
    const double dpi = horizontal ? com::screenDpiX() : com::screenDpiY();
    return com::pixelsToContainer(pixels, m_ambient.units, dpi);
}

DispResult CMDCaptCtrl::get(int dispid) {
    switch (dispid) {
    case DISPID_AutoAdjust: return DispResult::success(m_AutoAdjust);
    case DISPID_BorderEffect: return DispResult::success(int(m_BorderEffect));
    case DISPID_BottomMargin: return DispResult::success(lengthOut(m_BottomMargin, false));
    case DISPID_ChildBorderEffect: return DispResult::success(int(m_ChildBorderEffect));
    case DISPID_LabelAlignment: return DispResult::success(int(m_LabelAlignment));
    case DISPID_LabelBorderEffect: return DispResult::success(int(m_LabelBorderEffect));
    case DISPID_LabelBorderStyle: return DispResult::success(int(m_LabelBorderStyle));
    case DISPID_LabelHeight: return DispResult::success(lengthOut(m_LabelHeight, false));
    case DISPID_LabelLeft: return DispResult::success(lengthOut(m_LabelLeft, true));
    case DISPID_LabelPosition: return DispResult::success(int(m_LabelPosition));
    case DISPID_LabelTop: return DispResult::success(lengthOut(m_LabelTop, false));
    case DISPID_LabelWidth: return DispResult::success(lengthOut(m_LabelWidth, true));
    case DISPID_LeftMargin: return DispResult::success(lengthOut(m_LeftMargin, true));
    case DISPID_RightMargin: return DispResult::success(lengthOut(m_RightMargin, true));
    case DISPID_ShadowColor: return DispResult::success(uint(m_ShadowColor));
    case DISPID_Spacing: return DispResult::success(lengthOut(m_Spacing, true));
    case DISPID_TopMargin: return DispResult::success(lengthOut(m_TopMargin, false));
    case DISPID_MouseIcon: return DispResult::success(QVariant::fromValue(m_MouseIcon));
    case DISPID_MousePointer: return DispResult::success(int(m_MousePointer));
    case DISPID_HdnHeight: return DispResult::success(height());
    case DISPID_HdnWidth: return DispResult::success(width());
    case DISPID_ToolTip: return DispResult::success(m_ToolTip);
    case DISPID_FontBold: return DispResult::success(m_Font.bold());
    case DISPID_FontItalic: return DispResult::success(m_Font.italic());
    case DISPID_FontStrikeThru: return DispResult::success(m_Font.strikeOut());
    case DISPID_FontUnderline: return DispResult::success(m_Font.underline());
    case DISPID_FontName: return DispResult::success(m_Font.family());
    case DISPID_FontSize: return DispResult::success(float(m_Font.pointSizeF()));
    case DISPID_LabelAutoSize: return DispResult::success(m_LabelAutoSize != 0);
    case DISPID_BorderStyle: return DispResult::success(int(m_BorderStyle));
    case DISPID_BACKCOLOR: return DispResult::success(uint(m_BackColor));
    case DISPID_FORECOLOR: return DispResult::success(uint(m_ForeColor));
    case DISPID_CAPTION: return DispResult::success(m_Caption);
    case DISPID_ENABLED: return DispResult::success(isEnabled());
    case DISPID_FONT: return DispResult::success(QVariant::fromValue(m_Font));
    case DISPID_HWND: return DispResult::success(qulonglong(quintptr(this)));
    default:
        return DispResult::error(com::kErrMemberNotFound,
                                 "オブジェクトでサポートされていないプロパティまたはメソッドです。");
    }
}

DispResult CMDCaptCtrl::putLength(int dispid, const QVariant &value, bool horizontal,
                                  int messageId, qint16 *member) {
    bool ok = false;
    const double v = value.toDouble(&ok);
    if (!ok || !std::isfinite(v)) return mismatch();
    if (v < 0) return rangeError(messageId);
    const long px = com::containerToPixels(
        v, m_ambient.units, horizontal ? com::screenDpiX() : com::screenDpiY());
    // A length the 16-bit member cannot hold is refused like a negative one.
    if (px > 32767) return rangeError(messageId);
    *member = qint16(px);
    afterSet(dispid);
    return DispResult::success();
}

DispResult CMDCaptCtrl::put(int dispid, const QVariant &value) {
    qint64 n = 0;
    auto enumPut = [&](qint16 *member, int lo, int hi, int messageId) -> DispResult {
        if (!toLong(value, &n)) return mismatch();
        if (n < lo || n > hi) return rangeError(messageId);
        *member = qint16(n);
        afterSet(dispid);
        return DispResult::success();
    };
    switch (dispid) {
    case DISPID_AutoAdjust:
        if (!toBoolValue(value, &n)) return mismatch();
        if (n != 0 && n != 1 && n != -1) return rangeError(IDS_ERR_BOOLEAN);
        m_AutoAdjust = n != 0;
        afterSet(dispid);
        return DispResult::success();
    case DISPID_BorderEffect: return enumPut(&m_BorderEffect, 0, 4, IDS_ERR_BORDEREFFECT);
    case DISPID_ChildBorderEffect: return enumPut(&m_ChildBorderEffect, 0, 4, IDS_ERR_BORDEREFFECT);
    case DISPID_LabelAlignment: return enumPut(&m_LabelAlignment, 0, 2, IDS_ERR_LABELALIGNMENT);
    case DISPID_LabelBorderEffect: return enumPut(&m_LabelBorderEffect, 0, 4, IDS_ERR_BORDEREFFECT);
    case DISPID_LabelBorderStyle: return enumPut(&m_LabelBorderStyle, 0, 1, IDS_ERR_BORDERSTYLE);
    case DISPID_LabelPosition: return enumPut(&m_LabelPosition, 0, 7, IDS_ERR_LABELPOSITION);
    case DISPID_BottomMargin:
        return putLength(dispid, value, false, IDS_ERR_BOTTOMMARGIN, &m_BottomMargin);
    case DISPID_LabelHeight:
        return putLength(dispid, value, false, IDS_ERR_LABELHEIGHT, &m_LabelHeight);
    case DISPID_LabelLeft: return putLength(dispid, value, true, IDS_ERR_LABELLEFT, &m_LabelLeft);
    case DISPID_LabelTop: return putLength(dispid, value, false, IDS_ERR_LABELTOP, &m_LabelTop);
    case DISPID_LabelWidth: return putLength(dispid, value, true, IDS_ERR_LABELWIDTH, &m_LabelWidth);
    case DISPID_LeftMargin: return putLength(dispid, value, true, IDS_ERR_LEFTMARGIN, &m_LeftMargin);
    case DISPID_RightMargin:
        return putLength(dispid, value, true, IDS_ERR_RIGHTMARGIN, &m_RightMargin);
    case DISPID_Spacing: return putLength(dispid, value, true, IDS_ERR_SPACING, &m_Spacing);
    case DISPID_TopMargin: return putLength(dispid, value, false, IDS_ERR_TOPMARGIN, &m_TopMargin);
    case DISPID_ShadowColor:
        if (!toLong(value, &n)) return mismatch();
        m_ShadowColor = com::OleColor(quint32(n));
        afterSet(dispid);
        return DispResult::success();
    case DISPID_MouseIcon: {
        const QPixmap pic = pictureFrom(value);
        if (pic.isNull()) return DispResult::error(com::kErrInvalidPicture, loadString(IDS_ERR_MOUSEICON));
        m_MouseIcon = pic;
        afterSet(dispid);
        return DispResult::success();
    }
    case DISPID_MousePointer:
        if (!toLong(value, &n)) return mismatch();
        if (!((n >= 0 && n <= 14) || n == 99)) return rangeError(IDS_ERR_MOUSEPOINTER);
        m_MousePointer = qint16(n);
        afterSet(dispid);
        return DispResult::success();
    case DISPID_HdnHeight:
    case DISPID_HdnWidth:
        return DispResult::success();
    case DISPID_ToolTip:
        if (!value.canConvert<QString>()) return mismatch();
        m_ToolTip = value.toString();
        afterSet(dispid);
        return DispResult::success();
    case DISPID_FontBold:
    case DISPID_FontItalic:
    case DISPID_FontStrikeThru:
    case DISPID_FontUnderline: {
        if (!toLong(value, &n)) return mismatch();
        const bool on = n != 0;
        if (dispid == DISPID_FontBold) m_Font.setBold(on);
        else if (dispid == DISPID_FontItalic) m_Font.setItalic(on);
        else if (dispid == DISPID_FontStrikeThru) m_Font.setStrikeOut(on);
        else m_Font.setUnderline(on);
        afterSet(dispid);
        return DispResult::success();
    }
    case DISPID_FontName:
        if (!value.canConvert<QString>()) return mismatch();
        m_Font.setFamily(value.toString());
        afterSet(dispid);
        return DispResult::success();
    case DISPID_FontSize: {
        bool ok = false;
        const double size = value.toDouble(&ok);
        if (!ok || !std::isfinite(size)) return mismatch();
        if (size <= 0 || size > 2048) return DispResult::error(com::kErrInvalidPropertyValue, kInvalidValue);
        m_Font.setPointSizeF(size);
        afterSet(dispid);
        return DispResult::success();
    }
    case DISPID_LabelAutoSize:
        if (!toBoolValue(value, &n)) return mismatch();
        if (n != 0 && n != 1 && n != -1) return rangeError(IDS_ERR_BOOLEAN);
        m_LabelAutoSize = qint16(n);
        afterSet(dispid);
        return DispResult::success();
    case DISPID_BorderStyle:
        if (!toLong(value, &n)) return mismatch();
        if (n != 0 && n != 1 && n != -1) return rangeError(IDS_ERR_BORDERSTYLE);
        m_BorderStyle = qint16(n);
        afterSet(dispid);
        return DispResult::success();
    case DISPID_BACKCOLOR:
    case DISPID_FORECOLOR:
        if (!toLong(value, &n)) return mismatch();
        (dispid == DISPID_BACKCOLOR ? m_BackColor : m_ForeColor) = com::OleColor(quint32(n));
        afterSet(dispid);
        return DispResult::success();
    case DISPID_CAPTION:
        if (!value.canConvert<QString>()) return mismatch();
        if (m_Caption == value.toString()) return DispResult::success();
        m_Caption = value.toString();
        afterSet(dispid);
        return DispResult::success();
    case DISPID_ENABLED:
        if (!toLong(value, &n)) return mismatch();
        setEnabled(n != 0);
        m_modified = true;
        return DispResult::success();
    case DISPID_FONT: {
        QFont f;
        if (!fontFrom(value, &f)) return mismatch();
        m_Font = f;
        afterSet(dispid);
        return DispResult::success();
    }
    case DISPID_HWND:
        return DispResult::error(com::kErrReadOnlyProperty, kReadOnly);
    default:
        return get(dispid);  // the member-not-found error
    }
}

// What follows a successful set.
void CMDCaptCtrl::afterSet(int dispid) {
    m_modified = true;
    switch (dispid) {
    case DISPID_AutoAdjust:
    case DISPID_BottomMargin:
    case DISPID_LabelHeight:
    case DISPID_LabelWidth:
    case DISPID_LeftMargin:
    case DISPID_RightMargin:
    case DISPID_Spacing:
    case DISPID_TopMargin:
    case DISPID_BorderStyle:
        update();
        LayoutChild(FitChild);
        break;
    case DISPID_ChildBorderEffect:
        update();
        for (QWidget *w : findChildren<QWidget *>()) w->update();
        invalidateChildBorder();
        break;
    case DISPID_LabelLeft:
    case DISPID_LabelTop:
        update();
        if (m_AutoAdjust) LayoutChild(FitControl);
        break;
    case DISPID_LabelPosition:
        LayoutChild(FitControl);
        update();
        break;
    case DISPID_MouseIcon:
    case DISPID_MousePointer:
        applyCursor();
        break;
    case DISPID_ToolTip:
        if (CaptionToolTip::lastUnderMouse() == this && CaptionToolTip::state() != CaptionToolTip::Idle &&
            CaptionToolTip::state() != CaptionToolTip::Suppressed)
            hideToolTip(CaptionToolTip::Idle);
        else
            m_tipTimer.stop();
        break;
    case DISPID_FontBold:
    case DISPID_FontItalic:
    case DISPID_FontStrikeThru:
    case DISPID_FontUnderline:
    case DISPID_FontName:
    case DISPID_FontSize:
    case DISPID_FONT:
        OnFontChanged();
        break;
    case DISPID_LabelAutoSize:
        UpdateLabelSize();
        update();
        break;
    case DISPID_CAPTION:
        OnTextChanged();
        break;
    default:
        update();
        break;
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
    m_TopMargin = 4;
    m_LabelTop = 4;
    m_LabelWidth = 64;
    m_LabelHeight = 16;
    m_LabelLeft = 4;
    m_BottomMargin = 4;
    m_LeftMargin = 4;
    m_RightMargin = 4;
    m_Spacing = 4;
    m_MousePointer = 0;
    m_AutoAdjust = false;
    m_BorderEffect = 0;
    m_BorderStyle = 0;
    m_ChildBorderEffect = 0;
    m_LabelAlignment = 0;
    m_LabelAutoSize = 0;
    m_LabelBorderStyle = 0;
    m_LabelBorderEffect = 0;
    m_LabelPosition = 7;
    m_ShadowColor = 0;
    m_ToolTip = QStringLiteral("MDCapt");
    m_MouseIcon = QPixmap();
    m_Caption.clear();
    m_ForeColor = com::kSysButtonText;
    m_BackColor = com::kSysButtonFace;
    m_Font = defaultFont();
    setEnabled(true);
}

void CMDCaptCtrl::afterPropertiesChanged() {
    applyCursor();
    updateMnemonic();
    m_modified = false;
    update();
    invalidateChildBorder();
}

com::HResult CMDCaptCtrl::initNew() {
    resetToExchangeDefaults();
    if (DefaultsProfile *prof = Module::instance().profile()) {
        m_MousePointer = qint16(prof->readInt(106, 0));
        m_AutoAdjust = prof->readInt(107, 0) != 0;
        m_BorderEffect = qint16(prof->readInt(108, 0));
        m_BorderStyle = qint16(prof->readInt(109, 0));
        m_BottomMargin = qint16(prof->readInt(110, 4));
        m_ChildBorderEffect = qint16(prof->readInt(111, 0));
        m_LabelAlignment = qint16(prof->readInt(112, 0));
        m_LabelAutoSize = qint16(prof->readInt(113, 0));
        m_LabelBorderStyle = qint16(prof->readInt(114, 0));
        m_LabelBorderEffect = qint16(prof->readInt(115, 0));
        m_LabelHeight = qint16(prof->readInt(116, 16));
        m_LabelLeft = qint16(prof->readInt(117, 4));
        m_LabelPosition = qint16(prof->readInt(118, 7));
        m_LabelTop = qint16(prof->readInt(119, 4));
        m_LabelWidth = qint16(prof->readInt(120, 64));
        m_LeftMargin = qint16(prof->readInt(121, 4));
        m_RightMargin = qint16(prof->readInt(122, 4));
        m_ShadowColor = com::OleColor(quint32(prof->readLong(123, 0)));
        m_Spacing = qint16(prof->readInt(124, 4));
        m_TopMargin = qint16(prof->readInt(125, 4));
        m_Caption = m_ambient.displayName;
        QString face = prof->readString(127, QString());
        if (face.isEmpty()) face = loadString(IDS_DEFAULT_FONT);
        m_Font.setFamily(face);
        // The size goes through the currency type: four decimal places.
        const double size = std::round(double(prof->readFloat(128, 9.0f)) * 10000.0) / 10000.0;
        if (size > 0) m_Font.setPointSizeF(size);
        m_Font.setBold(prof->readInt(129, 0) != 0);
        m_Font.setItalic(prof->readInt(130, 0) != 0);
        m_Font.setUnderline(prof->readInt(131, 0) != 0);
        m_Font.setStrikeOut(prof->readInt(148, 0) != 0);
    }
    m_ToolTip = QStringLiteral("MDCapt");
    afterPropertiesChanged();
    return com::S_OK;
}

com::HResult CMDCaptCtrl::load(const com::PropertyBag &bag) {
    resetToExchangeDefaults();
    QVariant v;
    qint64 n = 0;
    auto readShort = [&](const char *name, qint16 *member, qint16 def) {
        *member = bag.read(name, &v) && toLong(v, &n) ? qint16(n) : def;
    };
    auto readColor = [&](const char *name, com::OleColor *member, com::OleColor def) {
        *member = bag.read(name, &v) && toLong(v, &n) ? com::OleColor(quint32(n)) : def;
    };
    if (bag.read("_ExtentX", &v)) {
        QVariant vy;
        if (bag.read("_ExtentY", &vy) && v.toLongLong() > 0 && vy.toLongLong() > 0)
            resize(int(com::himetricToPixels(long(v.toLongLong()), com::screenDpiX())),
                   int(com::himetricToPixels(long(vy.toLongLong()), com::screenDpiY())));
    }
    // Stock properties first.
    if (bag.read("Caption", &v)) m_Caption = v.toString();
    readColor("ForeColor", &m_ForeColor, com::kSysButtonText);
    readColor("BackColor", &m_BackColor, com::kSysButtonFace);
    if (bag.read("Font", &v)) {
        QFont f;
        if (fontFrom(v, &f)) m_Font = f;
    }
    setEnabled(bag.read("Enabled", &v) && toLong(v, &n) ? n != 0 : true);
    // The control's own properties.
    readShort("TopMargin", &m_TopMargin, 4);
    readShort("LabelTop", &m_LabelTop, 4);
    readShort("LabelWidth", &m_LabelWidth, 64);
    readShort("LabelHeight", &m_LabelHeight, 16);
    readShort("LabelLeft", &m_LabelLeft, 4);
    readShort("BottomMargin", &m_BottomMargin, 4);
    readShort("LeftMargin", &m_LeftMargin, 4);
    readShort("RightMargin", &m_RightMargin, 4);
    readShort("Spacing", &m_Spacing, 4);
    readShort("MousePointer", &m_MousePointer, 0);
    m_AutoAdjust = bag.read("AutoAdjust", &v) && toLong(v, &n) ? n != 0 : false;
    readShort("BorderEffect", &m_BorderEffect, 0);
    readShort("BorderStyle", &m_BorderStyle, 0);
    readShort("ChildBorderEffect", &m_ChildBorderEffect, 0);
    readShort("LabelAlignment", &m_LabelAlignment, 0);
    readShort("LabelAutoSize", &m_LabelAutoSize, 0);
    readShort("LabelBorderStyle", &m_LabelBorderStyle, 0);
    readShort("LabelBorderEffect", &m_LabelBorderEffect, 0);
    readShort("LabelPosition", &m_LabelPosition, 7);
    readColor("ShadowColor", &m_ShadowColor, 0);
    m_ToolTip = bag.read("ToolTip", &v) ? v.toString() : QStringLiteral("MDCapt");
    // A picture that cannot be read leaves the icon empty; loading goes on.
    m_MouseIcon = bag.read("MouseIcon", &v) ? pictureFrom(v) : QPixmap();
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
    bag->write("Caption", m_Caption);
    bag->write("ForeColor", uint(m_ForeColor));
    bag->write("BackColor", uint(m_BackColor));
    bag->write("Font", fontToMap(m_Font));
    bag->write("Enabled", isEnabled());
    bag->write("TopMargin", int(m_TopMargin));
    bag->write("LabelTop", int(m_LabelTop));
    bag->write("LabelWidth", int(m_LabelWidth));
    bag->write("LabelHeight", int(m_LabelHeight));
    bag->write("LabelLeft", int(m_LabelLeft));
    bag->write("BottomMargin", int(m_BottomMargin));
    bag->write("LeftMargin", int(m_LeftMargin));
    bag->write("RightMargin", int(m_RightMargin));
    bag->write("Spacing", int(m_Spacing));
    bag->write("MousePointer", int(m_MousePointer));
    bag->write("AutoAdjust", m_AutoAdjust);
    bag->write("BorderEffect", int(m_BorderEffect));
    bag->write("BorderStyle", int(m_BorderStyle));
    bag->write("ChildBorderEffect", int(m_ChildBorderEffect));
    bag->write("LabelAlignment", int(m_LabelAlignment));
    bag->write("LabelAutoSize", int(m_LabelAutoSize));
    bag->write("LabelBorderStyle", int(m_LabelBorderStyle));
    bag->write("LabelBorderEffect", int(m_LabelBorderEffect));
    bag->write("LabelPosition", int(m_LabelPosition));
    bag->write("ShadowColor", uint(m_ShadowColor));
    bag->write("ToolTip", m_ToolTip);
    bag->write("MouseIcon", pictureBytes(m_MouseIcon));
    if (clearDirty) m_modified = false;
    return com::S_OK;
}

}  // namespace tqen::captionctl
