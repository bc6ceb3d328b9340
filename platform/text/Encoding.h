#pragma once
// Text encodings that other programs read: UTF-8 with a byte-order mark, and
// CP932 (Shift-JIS as Windows writes it) for older spreadsheet programs.
#include "platform/error/Error.h"

#include <QByteArray>
#include <QString>

namespace tqen::text {

enum class Encoding { Utf8Bom, Cp932 };

// The text in the encoding. A character the encoding cannot hold gives an
// Error (Code::BadInput) that names it and where it stands, and no bytes.
Error encode(const QString &text, Encoding encoding, QByteArray *out);

// "U+1F600 GRINNING FACE": the code point and its Unicode name (the name is
// left out when the character has none).
QString characterName(char32_t codePoint);

}  // namespace tqen::text
