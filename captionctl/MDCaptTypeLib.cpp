#include "captionctl/MDCaptTypeLib.h"

#include "captionctl/MDCaptIds.h"

namespace tqen::captionctl {

const MemberInfo kMembers[] = {
    {DISPID_AutoAdjust, "AutoAdjust", "boolean", false, false, false},
    {DISPID_BorderEffect, "BorderEffect", "enumBE", false, false, false},
    {DISPID_BottomMargin, "BottomMargin", "OLE_YSIZE_CONTAINER", false, false, false},
    {DISPID_ChildBorderEffect, "ChildBorderEffect", "enumBE", false, false, false},
    {DISPID_LabelAlignment, "LabelAlignment", "enumA", false, false, false},
    {DISPID_LabelBorderEffect, "LabelBorderEffect", "enumBE", false, false, false},
    {DISPID_LabelBorderStyle, "LabelBorderStyle", "enumBS", false, false, false},
    {DISPID_LabelHeight, "LabelHeight", "OLE_YSIZE_CONTAINER", false, false, false},
    {DISPID_LabelLeft, "LabelLeft", "OLE_XSIZE_CONTAINER", false, false, false},
    {DISPID_LabelPosition, "LabelPosition", "enumLP", false, false, false},
    {DISPID_LabelTop, "LabelTop", "OLE_YSIZE_CONTAINER", false, false, false},
    {DISPID_LabelWidth, "LabelWidth", "OLE_XSIZE_CONTAINER", false, false, false},
    {DISPID_LeftMargin, "LeftMargin", "OLE_XSIZE_CONTAINER", false, false, false},
    {DISPID_RightMargin, "RightMargin", "OLE_XSIZE_CONTAINER", false, false, false},
    {DISPID_ShadowColor, "ShadowColor", "OLE_COLOR", false, false, false},
    {DISPID_Spacing, "Spacing", "OLE_XSIZE_CONTAINER", false, false, false},
    {DISPID_TopMargin, "TopMargin", "OLE_YSIZE_CONTAINER", false, false, false},
    {DISPID_MouseIcon, "MouseIcon", "IPictureDisp*", false, false, false},
    {DISPID_MousePointer, "MousePointer", "enumMP", false, false, false},
    {DISPID_HdnHeight, "HdnHeight", "OLE_YSIZE_PIXELS", true, false, false},
    {DISPID_HdnWidth, "HdnWidth", "OLE_XSIZE_PIXELS", true, false, false},
    {DISPID_ToolTip, "ToolTip", "BSTR", false, false, false},
    {DISPID_FontBold, "FontBold", "boolean", true, false, false},
    {DISPID_FontItalic, "FontItalic", "boolean", true, false, false},
    {DISPID_FontStrikeThru, "FontStrikeThru", "boolean", true, false, false},
    {DISPID_FontUnderline, "FontUnderline", "boolean", true, false, false},
    {DISPID_FontName, "FontName", "BSTR", true, false, false},
    {DISPID_FontSize, "FontSize", "single", true, false, false},
    {DISPID_LabelAutoSize, "LabelAutoSize", "boolean", false, false, false},
    {DISPID_BorderStyle, "BorderStyle", "enumBS", false, false, false},
    {DISPID_BACKCOLOR, "BackColor", "OLE_COLOR", false, false, false},
    {DISPID_CAPTION, "Caption", "BSTR", false, false, false},
    {DISPID_ENABLED, "Enabled", "boolean", false, false, false},
    {DISPID_FONT, "Font", "IFontDisp*", false, false, false},
    {DISPID_FORECOLOR, "ForeColor", "OLE_COLOR", false, false, false},
    {DISPID_HWND, "hWnd", "OLE_HANDLE", false, true, false},
    {DISPID_ABOUTBOX, "AboutBox", "void", false, false, true},
};
const int kMemberCount = int(sizeof kMembers / sizeof kMembers[0]);

const MemberInfo kEvents[] = {
    {DISPID_CLICK, "Click", "void", false, false, true},
    {DISPID_DBLCLICK, "DblClick", "void", false, false, true},
    {DISPID_MOUSEDOWN, "MouseDown", "void", false, false, true},
    {DISPID_MOUSEMOVE, "MouseMove", "void", false, false, true},
    {DISPID_MOUSEUP, "MouseUp", "void", false, false, true},
};
const int kEventCount = int(sizeof kEvents / sizeof kEvents[0]);

namespace {
const EnumMember kEnumMP[] = {
    {"_MP_DEFAULT", 0},     {"_MP_ARROW", 1},     {"_MP_CROSS", 2},       {"_MP_IBEAM", 3},
    {"_MP_ICON", 4},        {"_MP_SIZE", 5},      {"_MP_SIZENESW", 6},    {"_MP_SIZENS", 7},
    {"_MP_SIZENWSE", 8},    {"_MP_SIZEEW", 9},    {"_MP_UPARROW", 10},    {"_MP_HOURGLASS", 11},
    {"_MP_NODROP", 12},     {"_MP_APPSTARTING", 13}, {"_MP_SIZEALL", 14}, {"_MP_CUSTOM", 99}};
const EnumMember kEnumBE[] = {{"_MD_BORDER_EFFECT_NONE", 0},
                              {"_MD_BORDER_EFFECT_RAISED", 1},
                              {"_MD_BORDER_EFFECT_LOWERED", 2},
                              {"_MD_BORDER_EFFECT_DROPSHADOW", 3},
                              {"_MD_BORDER_EFFECT_INSET", 4}};
const EnumMember kEnumBS[] = {{"_MD_BORDER_STYLE_NONE", 0}, {"_MD_BORDER_STYLE_FIXEDSINGLE", 1}};
const EnumMember kEnumA[] = {{"_MD_ALIGN_LEFT", 0}, {"_MD_ALIGN_RIGHT", 1}, {"_MD_ALIGN_CENTER", 2}};
const EnumMember kEnumLP[] = {{"_MD_LABELPOS_ABOVECENTER", 0}, {"_MD_LABELPOS_ABOVELEFT", 1},
                              {"_MD_LABELPOS_ABOVERIGHT", 2},  {"_MD_LABELPOS_BORDERCENTER", 3},
                              {"_MD_LABELPOS_BORDERLEFT", 4},  {"_MD_LABELPOS_BORDERRIGHT", 5},
                              {"_MD_LABELPOS_LEFTCENTER", 6},  {"_MD_LABELPOS_LEFTTOP", 7}};
const EnumMember kMousePointerC[] = {
    {"MD_DEFAULT", 0},   {"MD_ARROW", 1},      {"MD_CROSS", 2},     {"MD_IBEAM", 3},
    {"MD_ICON", 4},      {"MD_SIZEALL", 5},    {"MD_SIZENESW", 6},  {"MD_SIZENS", 7},
    {"MD_SIZENWSE", 8},  {"MD_SIZEEW", 9},     {"MD_UPARROW", 10},  {"MD_HOURGLASS", 11},
    {"MD_NODROP", 12},   {"MD_APPSTARTING", 13}, {"MD_CUSTOM", 99}};
const EnumMember kBordEffC[] = {{"MD_NONE", 0}, {"MD_RAISED", 1}, {"MD_LOWERED", 2},
                                {"MD_DROPSHADOW", 3}, {"MD_INSET", 4}};
const EnumMember kBordStyC[] = {{"MD_NONE", 0}, {"MD_SINGLE", 1}};
const EnumMember kAlignC[] = {{"MD_LJUST", 0}, {"MD_RJUST", 1}, {"MD_CJUST", 2}};
const EnumMember kLabelPosC[] = {{"MD_ABOVEC", 0},  {"MD_ABOVEL", 1},  {"MD_ABOVER", 2},
                                 {"MD_BORDERC", 3}, {"MD_BORDERL", 4}, {"MD_BORDERR", 5},
                                 {"MD_LEFTC", 6},   {"MD_LEFTT", 7}};
template <size_t N>
constexpr int countOf(const EnumMember (&)[N]) { return int(N); }
}  // namespace

const EnumInfo kEnums[] = {
    {"enumMP", kEnumMP, countOf(kEnumMP)},
    {"enumBE", kEnumBE, countOf(kEnumBE)},
    {"enumBS", kEnumBS, countOf(kEnumBS)},
    {"enumA", kEnumA, countOf(kEnumA)},
    {"enumLP", kEnumLP, countOf(kEnumLP)},
    {"MousePointerC", kMousePointerC, countOf(kMousePointerC)},
    {"BordEffC", kBordEffC, countOf(kBordEffC)},
    {"BordStyC", kBordStyC, countOf(kBordStyC)},
    {"AlignC", kAlignC, countOf(kAlignC)},
    {"LabelPosC", kLabelPosC, countOf(kLabelPosC)},
};
const int kEnumCount = int(sizeof kEnums / sizeof kEnums[0]);

static com::TypeLibrary build() {
    com::TypeLibrary lib;
    lib.name = "MDCaptLib";
    lib.libid = LIBID_MDCaptLib;
    lib.major = kLibMajor;
    lib.minor = kLibMinor;
    lib.lcid = kLibLcid;
    for (int i = 0; i < kEnumCount; ++i) {
        com::TypeDescription t;
        t.kind = com::TypeDescription::Enum;
        t.name = kEnums[i].name;
        for (int m = 0; m < kEnums[i].count; ++m)
            t.members.append({kEnums[i].members[m].name, kEnums[i].members[m].value, "int"});
        lib.types.append(t);
    }
    com::TypeDescription disp;
    disp.kind = com::TypeDescription::Dispatch;
    disp.name = "_DMDCapt";
    disp.guid = IID_DMDCapt;
    for (int i = 0; i < kMemberCount; ++i) {
        const MemberInfo &m = kMembers[i];
        disp.members.append({m.name, m.dispid, m.type, m.hidden, m.readOnly, m.method});
    }
    lib.types.append(disp);
    com::TypeDescription events;
    events.kind = com::TypeDescription::Events;
    events.name = "_DMDCaptEvents";
    events.guid = IID_DMDCaptEvents;
    for (int i = 0; i < kEventCount; ++i)
        events.members.append({kEvents[i].name, kEvents[i].dispid, "void", false, false, true});
    lib.types.append(events);
    com::TypeDescription coclass;
    coclass.kind = com::TypeDescription::CoClass;
    coclass.name = "MDCaption";
    coclass.guid = CLSID_MDCaption;
    coclass.defaultInterface = "_DMDCapt";
    coclass.defaultSource = "_DMDCaptEvents";
    lib.types.append(coclass);
    return lib;
}

const com::TypeLibrary &mdcaptTypeLibrary() {
    static const com::TypeLibrary lib = build();
    return lib;
}

const char *mdcaptTypeLibraryText() {
    static const QByteArray text = mdcaptTypeLibrary().toJson();
    return text.constData();
}

}  // namespace tqen::captionctl
