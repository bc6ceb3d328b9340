#include "platform/forms/Fonts.h"

#include "platform/com/FontSubstitutes.h"

#include <QApplication>
#include <QFont>
#include <QFontInfo>

namespace tqen::forms {

void InstallFontSubstitutions() {
    com::installFontSubstitutes();
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
