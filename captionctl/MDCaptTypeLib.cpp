#include "captionctl/MDCaptTypeLib.h"

#include "captionctl/CMDCaptCtrl.h"
#include "captionctl/MDCaptProperties.h"

#include <span>

namespace tqen::captionctl {

namespace {

struct EventInfo {
    int dispid;
    const char *name;
};

const EventInfo kEvents[] = {
    {DISPID_CLICK, "Click"},         {DISPID_DBLCLICK, "DblClick"}, {DISPID_MOUSEDOWN, "MouseDown"},
    {DISPID_MOUSEMOVE, "MouseMove"}, {DISPID_MOUSEUP, "MouseUp"},
};

struct EnumMember {
    const char *name;
    int value;
};


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

struct EnumInfo {
    const char *name;
    std::span<const EnumMember> members;
};

const EnumInfo kEnums[] = {
    {"enumMP", kEnumMP},         {"enumBE", kEnumBE},     {"enumBS", kEnumBS},
    {"enumA", kEnumA},           {"enumLP", kEnumLP},     {"MousePointerC", kMousePointerC},
    {"BordEffC", kBordEffC},     {"BordStyC", kBordStyC}, {"AlignC", kAlignC},
    {"LabelPosC", kLabelPosC},
};

com::TypeLibrary build() {
    com::TypeLibrary lib;
    lib.name = "MDCaptLib";
    lib.libid = LIBID_MDCaptLib;
    lib.major = kLibMajor;
    lib.minor = kLibMinor;
    lib.lcid = kLibLcid;
    for (const EnumInfo &e : kEnums) {
        com::TypeDescription t;
        t.kind = com::TypeDescription::Enum;
        t.name = e.name;
        for (const EnumMember &m : e.members) t.members.append({m.name, m.value, "int"});
        lib.types.append(t);
    }
    com::TypeDescription disp;
    disp.kind = com::TypeDescription::Dispatch;
    disp.name = "_DMDCapt";
    disp.guid = IID_DMDCapt;
    for (const PropertyDef &p : CMDCaptCtrl::properties())
        disp.members.append({p.name, p.dispid, p.type, p.hidden, p.kind == PropKind::Handle,
                             p.kind == PropKind::Method});
    lib.types.append(disp);
    com::TypeDescription events;
    events.kind = com::TypeDescription::Events;
    events.name = "_DMDCaptEvents";
    events.guid = IID_DMDCaptEvents;
    for (const EventInfo &e : kEvents) events.members.append({e.name, e.dispid, "void", false, false, true});
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

}  // namespace

const char *eventName(int dispid) {
    for (const EventInfo &e : kEvents)
        if (e.dispid == dispid) return e.name;
    return "";
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
