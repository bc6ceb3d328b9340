#include "platform/forms/Fonts.h"

#include <QApplication>
#include <QFont>
#include <QFontInfo>

namespace tqen::forms {

void InstallFontSubstitutions() {
    struct Pair { const char *windows; const char *ipa; };
    static const Pair pairs[] = {
        {"ＭＳ Ｐ明朝", "IPAPMincho"},   {"MS PMincho", "IPAPMincho"},
        {"ＭＳ 明朝", "IPAMincho"},      {"MS Mincho", "IPAMincho"},
        {"ＭＳ Ｐゴシック", "IPAPGothic"}, {"MS PGothic", "IPAPGothic"},
        {"ＭＳ ゴシック", "IPAGothic"},   {"MS Gothic", "IPAGothic"},
        {"MS UI Gothic", "IPAPGothic"},
    };
    for (const Pair &p : pairs) {
        QFont::insertSubstitutions(QString::fromUtf8(p.windows),
                                   {QString::fromUtf8(p.ipa), QStringLiteral("IPAGothic")});
    }
    if (qobject_cast<QApplication *>(QCoreApplication::instance())) {
        QFont base(QStringLiteral("IPAPGothic"));
        base.setPointSizeF(10);
        QApplication::setFont(base);
    }
}

QString resolvedFamily(const QString &name) {
    QFont f(name);
    return QFontInfo(f).family();
}

}  // namespace tqen::forms
