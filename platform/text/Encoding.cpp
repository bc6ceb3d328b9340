#include "platform/text/Encoding.h"

#include <QList>

#include <unicode/uchar.h>

#include <cerrno>
#include <cstring>
#include <iconv.h>

namespace tqen::text {

QString characterName(char32_t codePoint) {
    QString out = QStringLiteral("U+%1").arg(uint(codePoint), 4, 16, QLatin1Char('0')).toUpper();
    char name[256];
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = u_charName(UChar32(codePoint), U_UNICODE_CHAR_NAME, name, sizeof name, &status);
    if (U_SUCCESS(status) && length > 0) out += u' ' + QString::fromLatin1(name, length);
    return out;
}

namespace {

// Line and column (from 1) of a character offset, for the message.
QString placeOf(const QString &text, qsizetype at) {
    int line = 1, column = 1;
    for (qsizetype i = 0; i < at && i < text.size(); ++i) {
        if (text[i] == u'\n') {
            ++line;
            column = 1;
        } else if (!text[i].isLowSurrogate()) {
            ++column;
        }
    }
    return QStringLiteral("%1 行目 %2 文字目").arg(line).arg(column);
}

Error encodeCp932(const QString &text, QByteArray *out) {
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == iconv_t(-1))
        return Error(Error::Code::FileFailed, QStringLiteral("Shift-JIS (CP932) に変換する仕組みがありません。"));
    const QByteArray utf8 = text.toUtf8();
    QByteArray result(utf8.size() + 16, Qt::Uninitialized);   // CP932 never needs more bytes than UTF-8
    char *in = const_cast<char *>(utf8.constData());
    size_t inLeft = size_t(utf8.size());
    char *to = result.data();
    size_t toLeft = size_t(result.size());
    Error error;
    if (iconv(cd, &in, &inLeft, &to, &toLeft) == size_t(-1)) {
        // The character at `in` cannot be written (or is broken UTF-8, which
        // a QString never gives).
        const qsizetype byteAt = in - utf8.constData();
        const QString before = QString::fromUtf8(utf8.constData(), byteAt);
        const char32_t cp = QStringView(text).mid(before.size()).toUcs4().value(0);
        const QString ch = QString::fromUcs4(&cp, 1);
        error = Error(Error::Code::BadInput,
                      QStringLiteral("「%1」(%2) は Shift-JIS (CP932) で書けない文字です (%3)。この文字を直すか、UTF-8 で保存してください。")
                          .arg(ch, characterName(cp), placeOf(text, before.size())),
                      errno == EILSEQ ? QString() : QString::fromLocal8Bit(strerror(errno)));
    }
    iconv_close(cd);
    if (!error.ok()) return error;
    result.truncate(to - result.data());
    *out = result;
    return {};
}

}  // namespace

Error encode(const QString &text, Encoding encoding, QByteArray *out) {
    out->clear();
    if (encoding == Encoding::Utf8Bom) {
        *out = QByteArray("\xEF\xBB\xBF") + text.toUtf8();
        return {};
    }
    return encodeCp932(text, out);
}

}  // namespace tqen::text
