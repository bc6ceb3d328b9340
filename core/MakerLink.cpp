#include "core/MakerLink.h"

#include "platform/forms/Interaction.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QToolButton>

namespace tqen {

namespace {

// The logo: the program's name on a navy plate.
QPixmap makerLogo() {
    QPixmap logo(112, 40);
    logo.fill(Qt::transparent);
    QPainter p(&logo);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient plate(0, 0, 0, 40);
    plate.setColorAt(0, QColor(0x1f, 0x3a, 0x7a));
    plate.setColorAt(1, QColor(0x0b, 0x1f, 0x4d));
    p.setBrush(plate);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(0.5, 0.5, 111, 39), 6, 6);
    QFont f(QStringLiteral("ＭＳ Ｐゴシック"));
    f.setPixelSize(18);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(0xff, 0xd8, 0x4d));
    p.drawText(QRect(0, 0, 112, 40), Qt::AlignCenter, QStringLiteral("TqEn"));
    return logo;
}

}  // namespace

QString MakerWebPage() { return QStringLiteral(TQEN_MAKER_URL); }

QToolButton *CreateMakerLink(QWidget *parent) {
    auto *image = new QToolButton(parent);
    image->setObjectName(QStringLiteral("Image1"));
    const QPixmap logo = makerLogo();
    image->setIcon(logo);
    image->setIconSize(logo.size());
    image->setAutoRaise(true);
    image->setCursor(Qt::PointingHandCursor);
    image->setFocusPolicy(Qt::StrongFocus);
    image->setToolTip(QStringLiteral("メーカーのホームページを開きます"));
    image->setAccessibleName(QStringLiteral("メーカーのホームページ"));
    image->setAccessibleDescription(MakerWebPage());
    QObject::connect(image, &QToolButton::clicked, image, [] { forms::interaction().shellOpen(MakerWebPage()); });
    return image;
}

}  // namespace tqen
