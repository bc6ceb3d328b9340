#pragma once
// The Windows face names that the forms, reports and the caption control ask
// for, and the fonts of this machine that stand in for them (the IPA fonts),
// with IPAGothic as the last resort for Japanese text.
#include <QString>

namespace tqen::com {

// Installs the substitutions into Qt's font matching. Calling it again (from
// the program and from a control library) changes nothing.
void installFontSubstitutes();

}  // namespace tqen::com
