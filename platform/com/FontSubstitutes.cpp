#include "platform/com/FontSubstitutes.h"

#include <QFont>
#include <QStringList>

namespace tqen::com {

namespace {

struct Substitute {
    const char *windowsName;
    const char *family;
};

const Substitute kSubstitutes[] = {
    {"ＭＳ Ｐ明朝", "IPAPMincho"},     {"MS PMincho", "IPAPMincho"},
    {"ＭＳ 明朝", "IPAMincho"},        {"MS Mincho", "IPAMincho"},
    {"ＭＳ Ｐゴシック", "IPAPGothic"}, {"MS Pゴシック", "IPAPGothic"},
    {"MS PGothic", "IPAPGothic"},      {"ＭＳ ゴシック", "IPAGothic"},
    {"MS Gothic", "IPAGothic"},        {"MS UI Gothic", "IPAPGothic"},
};

}  // namespace

void installFontSubstitutes() {
    // Qt keeps each substitute once, so a second call adds nothing.
    for (const Substitute &s : kSubstitutes)
        QFont::insertSubstitutions(QString::fromUtf8(s.windowsName),
                                   QStringList{QString::fromUtf8(s.family), QStringLiteral("IPAGothic")});
}

}  // namespace tqen::com
