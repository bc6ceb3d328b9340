#pragma once
// The public identities of the MDCaption control: its class identifiers (as
// text, for Guid::fromString or HostedControl::create), ProgIDs, the version
// of its type library, and the dispatch identifiers of its properties,
// methods and events. A host includes this header alone; it needs nothing
// else, and the library itself takes its identifiers from here.

namespace tqen::captionctl {

inline constexpr char kControlClsid[] = "{4E81B7C0-93A2-4D5F-A6E1-2C07D5B3F94A}";
inline constexpr char kDispatchIid[] = "{4E81B7C1-93A2-4D5F-A6E1-2C07D5B3F94A}";
inline constexpr char kEventsIid[] = "{4E81B7C2-93A2-4D5F-A6E1-2C07D5B3F94A}";
inline constexpr char kTypeLibId[] = "{4E81B7C3-93A2-4D5F-A6E1-2C07D5B3F94A}";
inline constexpr char kPageClsid[] = "{4E81B7C4-93A2-4D5F-A6E1-2C07D5B3F94A}";

inline constexpr char kControlProgId[] = "MDCAPT.MDCaptCtrl.1";
inline constexpr char kPageProgId[] = "MDCAPT.MDCaptPropPage.1";

inline constexpr int kLibMajor = 4;
inline constexpr int kLibMinor = 1;
inline constexpr unsigned kLibLcid = 0x409;  // English (United States)

// Dispatch identifiers of _DMDCapt and _DMDCaptEvents.
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

}  // namespace tqen::captionctl
