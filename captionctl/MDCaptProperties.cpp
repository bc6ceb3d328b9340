// The control's property table (see MDCaptProperties.h).
#include "captionctl/MDCaptProperties.h"

#include "captionctl/CMDCaptCtrl.h"
#include "captionctl/MDCaptIds.h"
#include "captionctl/StringTable.h"

#include <cstring>

namespace tqen::captionctl {

namespace {

// A member of the control as a row's stored value: 16-bit members and colours
// as numbers, the rest as they are.
template <auto Member>
QVariant fetchMember(const CMDCaptCtrl &c) {
    const auto &v = c.*Member;
    using T = std::decay_t<decltype(v)>;
    if constexpr (std::is_same_v<T, qint16>) return int(v);
    else if constexpr (std::is_same_v<T, com::OleColor>) return uint(v);
    else return QVariant::fromValue(v);
}

template <auto Member>
void storeMember(CMDCaptCtrl &c, const QVariant &v) {
    auto &m = c.*Member;
    using T = std::decay_t<decltype(m)>;
    if constexpr (std::is_same_v<T, qint16>) m = qint16(v.toInt());
    else if constexpr (std::is_same_v<T, com::OleColor>) m = com::OleColor(v.toUInt());
    else m = v.value<T>();
}

// An attribute of the stock Font.
template <auto Font, auto Get>
QVariant fetchFont(const CMDCaptCtrl &c) { return ((c.*Font).*Get)(); }
template <auto Font, auto Get, auto Set>
void storeFont(CMDCaptCtrl &c, const QVariant &v) {
    using T = std::decay_t<decltype(((c.*Font).*Get)())>;
    ((c.*Font).*Set)(v.value<T>());
}

}  // namespace

#define PROPERTY(n) .name = #n, .dispid = DISPID_##n
#define STOCK(n, id) .name = #n, .dispid = DISPID_##id
#define MEMBER(m) .fetch = fetchMember<&CMDCaptCtrl::m>, .store = storeMember<&CMDCaptCtrl::m>
#define FONT(get, set)                                   \
    .fetch = fetchFont<&CMDCaptCtrl::m_Font, &QFont::get>, \
    .store = storeFont<&CMDCaptCtrl::m_Font, &QFont::get, &QFont::set>

using enum PropKind;
using enum AfterSet;

const PropertyDef CMDCaptCtrl::kProperties[] = {
    {PROPERTY(AutoAdjust), .type = "boolean", .kind = Flag, MEMBER(m_AutoAdjust), .lo = -1, .hi = 1,
     .errorId = IDS_ERR_BOOLEAN, .persisted = true, .profileKey = 107, .profile = ReadAndWritten,
     .after = RepaintFitChild},
    {PROPERTY(BorderEffect), .type = "enumBE", .kind = Enum, MEMBER(m_BorderEffect), .lo = 0, .hi = 4,
     .errorId = IDS_ERR_BORDEREFFECT, .persisted = true, .profileKey = 108, .profile = ReadAndWritten},
    {PROPERTY(BottomMargin), .type = "OLE_YSIZE_CONTAINER", .kind = Length, MEMBER(m_BottomMargin),
     .number = 4, .lo = 0, .hi = 32767, .errorId = IDS_ERR_BOTTOMMARGIN, .persisted = true,
     .profileKey = 110, .profile = ReadAtReset, .after = RepaintFitChild},
    {PROPERTY(ChildBorderEffect), .type = "enumBE", .kind = Enum, MEMBER(m_ChildBorderEffect), .lo = 0,
     .hi = 4, .errorId = IDS_ERR_BORDEREFFECT, .persisted = true, .profileKey = 111,
     .profile = ReadAndWritten, .after = RepaintChildren},
    {PROPERTY(LabelAlignment), .type = "enumA", .kind = Enum, MEMBER(m_LabelAlignment), .lo = 0, .hi = 2,
     .errorId = IDS_ERR_LABELALIGNMENT, .persisted = true, .profileKey = 112, .profile = ReadAndWritten},
    {PROPERTY(LabelBorderEffect), .type = "enumBE", .kind = Enum, MEMBER(m_LabelBorderEffect), .lo = 0,
     .hi = 4, .errorId = IDS_ERR_BORDEREFFECT, .persisted = true, .profileKey = 115,
     .profile = ReadAndWritten},
    {PROPERTY(LabelBorderStyle), .type = "enumBS", .kind = Enum, MEMBER(m_LabelBorderStyle), .lo = 0,
     .hi = 1, .errorId = IDS_ERR_BORDERSTYLE, .persisted = true, .profileKey = 114,
     .profile = ReadAndWritten},
    {PROPERTY(LabelHeight), .type = "OLE_YSIZE_CONTAINER", .kind = Length, MEMBER(m_LabelHeight),
     .number = 16, .lo = 0, .hi = 32767, .errorId = IDS_ERR_LABELHEIGHT, .persisted = true,
     .profileKey = 116, .profile = ReadAtReset, .after = RepaintFitChild},
    {PROPERTY(LabelLeft), .type = "OLE_XSIZE_CONTAINER", .kind = Length, MEMBER(m_LabelLeft), .number = 4,
     .lo = 0, .hi = 32767, .errorId = IDS_ERR_LABELLEFT, .persisted = true, .profileKey = 117,
     .profile = ReadAtReset, .after = RepaintFitControlIfAuto},
    {PROPERTY(LabelPosition), .type = "enumLP", .kind = Enum, MEMBER(m_LabelPosition), .number = 7,
     .lo = 0, .hi = 7, .errorId = IDS_ERR_LABELPOSITION, .persisted = true, .profileKey = 118,
     .profile = ReadAndWritten, .after = FitControlRepaint},
    {PROPERTY(LabelTop), .type = "OLE_YSIZE_CONTAINER", .kind = Length, MEMBER(m_LabelTop), .number = 4,
     .lo = 0, .hi = 32767, .errorId = IDS_ERR_LABELTOP, .persisted = true, .profileKey = 119,
     .profile = ReadAtReset, .after = RepaintFitControlIfAuto},
    {PROPERTY(LabelWidth), .type = "OLE_XSIZE_CONTAINER", .kind = Length, MEMBER(m_LabelWidth),
     .number = 64, .lo = 0, .hi = 32767, .errorId = IDS_ERR_LABELWIDTH, .persisted = true,
     .profileKey = 120, .profile = ReadAtReset, .after = RepaintFitChild},
    {PROPERTY(LeftMargin), .type = "OLE_XSIZE_CONTAINER", .kind = Length, MEMBER(m_LeftMargin),
     .number = 4, .lo = 0, .hi = 32767, .errorId = IDS_ERR_LEFTMARGIN, .persisted = true,
     .profileKey = 121, .profile = ReadAtReset, .after = RepaintFitChild},
    {PROPERTY(RightMargin), .type = "OLE_XSIZE_CONTAINER", .kind = Length, MEMBER(m_RightMargin),
     .number = 4, .lo = 0, .hi = 32767, .errorId = IDS_ERR_RIGHTMARGIN, .persisted = true,
     .profileKey = 122, .profile = ReadAtReset, .after = RepaintFitChild},
    {PROPERTY(ShadowColor), .type = "OLE_COLOR", .kind = Colour, MEMBER(m_ShadowColor),
     .persisted = true, .profileKey = 123, .profile = ReadAndWritten},
    {PROPERTY(Spacing), .type = "OLE_XSIZE_CONTAINER", .kind = Length, MEMBER(m_Spacing), .number = 4,
     .lo = 0, .hi = 32767, .errorId = IDS_ERR_SPACING, .persisted = true, .profileKey = 124,
     .profile = ReadAtReset, .after = RepaintFitChild},
    {PROPERTY(TopMargin), .type = "OLE_YSIZE_CONTAINER", .kind = Length, MEMBER(m_TopMargin),
     .number = 4, .lo = 0, .hi = 32767, .errorId = IDS_ERR_TOPMARGIN, .persisted = true,
     .profileKey = 125, .profile = ReadAtReset, .after = RepaintFitChild},
    {PROPERTY(MouseIcon), .type = "IPictureDisp*", .kind = Picture, MEMBER(m_MouseIcon),
     .errorId = IDS_ERR_MOUSEICON, .persisted = true, .after = Cursor},
    {PROPERTY(MousePointer), .type = "enumMP", .kind = Enum, MEMBER(m_MousePointer), .lo = 0, .hi = 14,
     .also = 99, .errorId = IDS_ERR_MOUSEPOINTER, .persisted = true, .profileKey = 106,
     .profile = ReadAndWritten, .after = Cursor},
    {PROPERTY(HdnHeight), .type = "OLE_YSIZE_PIXELS", .hidden = true, .kind = PixelSize,
     .fetch = [](const CMDCaptCtrl &c) -> QVariant { return c.height(); }, .after = Nothing},
    {PROPERTY(HdnWidth), .type = "OLE_XSIZE_PIXELS", .hidden = true, .kind = PixelSize,
     .fetch = [](const CMDCaptCtrl &c) -> QVariant { return c.width(); }, .after = Nothing},
    {PROPERTY(ToolTip), .type = "BSTR", .kind = Text, MEMBER(m_ToolTip), .text = "MDCapt",
     .persisted = true, .profileKey = 150, .profile = WrittenBySave, .after = ToolTip},
    {PROPERTY(FontBold), .type = "boolean", .hidden = true, .kind = Flag, FONT(bold, setBold),
     .profileKey = 129, .profile = ReadAndWritten, .after = FontChanged},
    {PROPERTY(FontItalic), .type = "boolean", .hidden = true, .kind = Flag, FONT(italic, setItalic),
     .profileKey = 130, .profile = ReadAndWritten, .after = FontChanged},
    {PROPERTY(FontStrikeThru), .type = "boolean", .hidden = true, .kind = Flag,
     FONT(strikeOut, setStrikeOut), .profileKey = 148, .profile = ReadAndWritten,
     .after = FontChanged},
    {PROPERTY(FontUnderline), .type = "boolean", .hidden = true, .kind = Flag,
     FONT(underline, setUnderline), .profileKey = 131, .profile = ReadAndWritten,
     .after = FontChanged},
    {PROPERTY(FontName), .type = "BSTR", .hidden = true, .kind = FontFace, FONT(family, setFamily),
     .profileKey = 127, .profile = ReadAndWritten, .after = FontChanged},
    {PROPERTY(FontSize), .type = "single", .hidden = true, .kind = FontPoints,
     FONT(pointSizeF, setPointSizeF), .number = 9, .profileKey = 128, .profile = ReadAndWritten,
     .after = FontChanged},
    {PROPERTY(LabelAutoSize), .type = "boolean", .kind = ShortFlag, MEMBER(m_LabelAutoSize), .lo = -1,
     .hi = 1, .errorId = IDS_ERR_BOOLEAN, .persisted = true, .profileKey = 113,
     .profile = ReadAndWritten, .after = LabelSize},
    {PROPERTY(BorderStyle), .type = "enumBS", .kind = Enum, MEMBER(m_BorderStyle), .lo = -1, .hi = 1,
     .errorId = IDS_ERR_BORDERSTYLE, .persisted = true, .profileKey = 109, .profile = ReadAndWritten,
     .after = RepaintFitChild},
    // Stock members.
    {STOCK(BackColor, BACKCOLOR), .type = "OLE_COLOR", .kind = Colour, MEMBER(m_BackColor),
     .number = com::kSysButtonFace, .persisted = true, .profileKey = 151, .profile = WrittenBySave},
    {STOCK(Caption, CAPTION), .type = "BSTR", .kind = Text, MEMBER(m_Caption), .text = "",
     .persisted = true, .after = CaptionChanged},
    {STOCK(Enabled, ENABLED), .type = "boolean", .kind = Flag,
     .fetch = [](const CMDCaptCtrl &c) -> QVariant { return c.isEnabled(); },
     .store = [](CMDCaptCtrl &c, const QVariant &v) { c.setEnabled(v.toBool()); }, .number = 1,
     .persisted = true, .profileKey = 149, .profile = WrittenBySave, .after = Nothing},
    {STOCK(Font, FONT), .type = "IFontDisp*", .kind = Font, MEMBER(m_Font), .persisted = true,
     .after = FontChanged},
    {STOCK(ForeColor, FORECOLOR), .type = "OLE_COLOR", .kind = Colour, MEMBER(m_ForeColor),
     .number = com::kSysButtonText, .persisted = true, .profileKey = 152, .profile = WrittenBySave},
    {STOCK(hWnd, HWND), .type = "OLE_HANDLE", .kind = Handle,
     .fetch = [](const CMDCaptCtrl &c) -> QVariant { return qulonglong(quintptr(&c)); }},
    {STOCK(AboutBox, ABOUTBOX), .type = "void", .kind = Method},
};

#undef PROPERTY
#undef STOCK
#undef MEMBER
#undef FONT

std::span<const PropertyDef> CMDCaptCtrl::properties() { return kProperties; }

const PropertyDef *CMDCaptCtrl::property(int dispid) {
    for (const PropertyDef &p : kProperties)
        if (p.dispid == dispid) return &p;
    return nullptr;
}

bool PropertyDef::horizontal() const { return std::strncmp(type, "OLE_X", 5) == 0; }

QVariant PropertyDef::defaultValue() const {
    switch (kind) {
    case PropKind::Flag: return number != 0;
    case PropKind::Colour: return uint(number);
    case PropKind::Text: return QString::fromUtf8(text);
    case PropKind::Picture: return QVariant::fromValue(QPixmap());
    case PropKind::FontFace: return loadString(IDS_DEFAULT_FONT);
    case PropKind::FontPoints: return number;
    case PropKind::Font: return QVariant::fromValue(CMDCaptCtrl::defaultFont());
    case PropKind::Enum:
    case PropKind::ShortFlag:
    case PropKind::Length: return int(number);
    default: return {};
    }
}

}  // namespace tqen::captionctl
