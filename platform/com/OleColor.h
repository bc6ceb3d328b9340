#pragma once
// Colour values of the automation interface: 0x00BBGGRR (blue in the high
// byte), or a system colour with the high bit set and the colour index in the
// low byte (0x8000000F button face, 0x80000012 button text, …).
#include <QColor>
#include <QtGlobal>

namespace tqen::com {

using OleColor = quint32;

constexpr OleColor kSysColorFlag = 0x80000000u;
constexpr OleColor kSysButtonFace = 0x8000000Fu;
constexpr OleColor kSysButtonText = 0x80000012u;
constexpr OleColor kSysWindow = 0x80000005u;
constexpr OleColor kSysWindowText = 0x80000008u;

constexpr OleColor rgb(int r, int g, int b) {
    return OleColor(r & 0xFF) | (OleColor(g & 0xFF) << 8) | (OleColor(b & 0xFF) << 16);
}

// The colour to paint with; system colours come from the application palette.
QColor translateColor(OleColor c);
// A plain colour as an OLE colour value.
OleColor fromQColor(const QColor &c);

}  // namespace tqen::com
