#pragma once
// The one table of the control's properties and its method, in dispatch
// order. A row names the property and its DISPID, the member that holds it,
// how it crosses the dispatch interface and how it is persisted, its default,
// the values a set accepts with the message of a refusal, its key in the
// defaults profile, and what follows a set (repainting, a layout pass, …).
// The dispatch interface, the property exchange, the reset from the defaults
// profile, the property page's "save", the type information and the tests
// all walk this table; nothing else lists the properties.
#include <QVariant>

#include <span>

namespace tqen::captionctl {

class CMDCaptCtrl;

// How a value is held, crosses the interface and is persisted.
enum class PropKind {
    Enum,        // 16-bit member; an integer within its range
    ShortFlag,   // 16-bit member that reads as a boolean (0, 1 or -1 stored as given)
    Flag,        // boolean
    Length,      // 16-bit member in pixels; container units across the interface
    Colour,      // OLE colour
    Text,        // string
    Picture,     // picture; PNG bytes in a property bag
    FontFace,    // face name of the stock Font
    FontPoints,  // point size of the stock Font
    Font,        // the stock Font object; a map in a property bag
    PixelSize,   // the control's width or height in pixels; setting does nothing
    Handle,      // the window handle: read only
    Method,      // not a property: a method
};

// What follows a successful set, besides marking the control modified.
enum class AfterSet {
    Repaint,
    RepaintFitChild,         // repaint, then a fit-child layout pass
    RepaintFitControlIfAuto, // repaint; with AutoAdjust a fit-control layout pass
    FitControlRepaint,       // a fit-control layout pass, then repaint
    RepaintChildren,         // repaint the control and its children, redraw the child border
    Cursor,                  // refresh the cursor
    ToolTip,                 // hide a pending or shown tooltip
    FontChanged,             // label size update, repaint
    LabelSize,               // label size update, repaint
    CaptionChanged,          // the caption change: measure, place the label, lay out
    Nothing,
};

// How the defaults profile uses a property's key.
enum ProfileUse : unsigned char {
    NotInProfile = 0,
    ReadAtReset = 1,    // a new control takes the value from the profile
    WrittenBySave = 2,  // the page's "保存" writes it
    ReadAndWritten = ReadAtReset | WrittenBySave,
};

struct PropertyDef {
    const char *name = nullptr;
    int dispid = 0;
    const char *type = "";  // the type as the type information names it
    bool hidden = false;    // hidden from property browsers
    PropKind kind = PropKind::Enum;
    // The member: its stored value (pixels for lengths) as a QVariant.
    QVariant (*fetch)(const CMDCaptCtrl &) = nullptr;
    void (*store)(CMDCaptCtrl &, const QVariant &) = nullptr;
    // The default: a number, or a text for Text rows.
    double number = 0;
    const char *text = nullptr;
    // A set accepts lo..hi or also `also`; no range when lo > hi. A length
    // accepts 0..hi pixels. errorId: the message of a refusal.
    int lo = 1, hi = 0, also = lo;
    int errorId = 0;
    bool persisted = false;  // exchanged with a property bag under its name
    int profileKey = 0;      // string-table id of its key in the defaults profile
    unsigned char profile = NotInProfile;
    AfterSet after = AfterSet::Repaint;

    bool hasRange() const { return lo <= hi; }
    bool accepts(qint64 v) const { return !hasRange() || (v >= lo && v <= hi) || v == also; }
    bool horizontal() const;  // a length along x
    // The stored value of a control that was just reset.
    QVariant defaultValue() const;
};

}  // namespace tqen::captionctl
