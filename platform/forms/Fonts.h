#pragma once
// The forms and printed reports name Windows fonts; these map them to the IPA
// fonts so Japanese text renders in the intended style.
#include <QString>

namespace tqen::forms {
// Installs the substitutions of the component layer ("ＭＳ Ｐ明朝" →
// IPAPMincho, "ＭＳ Ｐゴシック" → IPAPGothic, "ＭＳ ゴシック" → IPAGothic, and
// the ASCII spellings) and makes a Japanese Gothic face the application's
// default font.
void InstallFontSubstitutions();
// The family that a font name resolves to after the substitutions.
QString resolvedFamily(const QString &name);
}  // namespace tqen::forms
