#pragma once
// Identities, dispatch identifiers and enumerations of the MDCaption control.
#include "platform/com/Guid.h"

#include <QString>

namespace tqen::captionctl {

inline const com::Guid CLSID_MDCaption =
    com::Guid::fromString("{4E81B7C0-93A2-4D5F-A6E1-2C07D5B3F94A}");
inline const com::Guid IID_DMDCapt =
    com::Guid::fromString("{4E81B7C1-93A2-4D5F-A6E1-2C07D5B3F94A}");
inline const com::Guid IID_DMDCaptEvents =
    com::Guid::fromString("{4E81B7C2-93A2-4D5F-A6E1-2C07D5B3F94A}");
inline const com::Guid LIBID_MDCaptLib =
    com::Guid::fromString("{4E81B7C3-93A2-4D5F-A6E1-2C07D5B3F94A}");
inline const com::Guid CLSID_MDCaptPropPage =
    com::Guid::fromString("{4E81B7C4-93A2-4D5F-A6E1-2C07D5B3F94A}");

inline const QString kControlProgId = QStringLiteral("MDCAPT.MDCaptCtrl.1");
inline const QString kPageProgId = QStringLiteral("MDCAPT.MDCaptPropPage.1");
constexpr int kLibMajor = 4;
constexpr int kLibMinor = 1;
constexpr quint32 kLibLcid = 0x409;
// recompose on resize, can't link inside, inside-out, activate when visible,
// acts like a label, simple frame, set client site first
constexpr quint32 kMiscStatus = 0x32191;

// Dispatch identifiers of _DMDCapt.
enum DispId : int {
    DISPID_AutoAdjust = 1,
    DISPID_BorderEffect = 2,
    DISPID_BottomMargin = 3,
    DISPID_ChildBorderEffect = 4,
    DISPID_LabelAlignment = 5,
    DISPID_LabelBorderEffect = 6,
    DISPID_LabelBorderStyle = 7,
    DISPID_LabelHeight = 8,
    DISPID_LabelLeft = 9,
    DISPID_LabelPosition = 10,
    DISPID_LabelTop = 11,
    DISPID_LabelWidth = 12,
    DISPID_LeftMargin = 13,
    DISPID_RightMargin = 14,
    DISPID_ShadowColor = 15,
    DISPID_Spacing = 16,
    DISPID_TopMargin = 17,
    DISPID_MouseIcon = 18,
    DISPID_MousePointer = 19,
    DISPID_HdnHeight = 20,
    DISPID_HdnWidth = 21,
    DISPID_ToolTip = 22,
    DISPID_FontBold = 23,
    DISPID_FontItalic = 24,
    DISPID_FontStrikeThru = 25,
    DISPID_FontUnderline = 26,
    DISPID_FontName = 27,
    DISPID_FontSize = 28,
    DISPID_LabelAutoSize = 29,
    DISPID_BorderStyle = 30,
    // stock members
    DISPID_BACKCOLOR = -501,
    DISPID_FONT = -512,
    DISPID_FORECOLOR = -513,
    DISPID_ENABLED = -514,
    DISPID_HWND = -515,
    DISPID_CAPTION = -518,
    DISPID_ABOUTBOX = -552,
    // stock events
    DISPID_CLICK = -600,
    DISPID_DBLCLICK = -601,
    DISPID_MOUSEDOWN = -605,
    DISPID_MOUSEMOVE = -606,
    DISPID_MOUSEUP = -607,
};

// One member of the dispatch interface.
struct MemberInfo {
    int dispid;
    const char *name;
    const char *type;
    bool hidden;
    bool readOnly;
    bool method;
};

// Properties and methods of _DMDCapt in dispatch order, stock members last.
extern const MemberInfo kMembers[];
extern const int kMemberCount;
extern const MemberInfo kEvents[];
extern const int kEventCount;

struct EnumMember {
    const char *name;
    int value;
};
struct EnumInfo {
    const char *name;
    const EnumMember *members;
    int count;
};
extern const EnumInfo kEnums[];
extern const int kEnumCount;

}  // namespace tqen::captionctl
