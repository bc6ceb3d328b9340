#include "captionctl/AboutBox.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace tqen::captionctl {

QDialog *createAboutBox(QWidget *parent) {
    auto *dlg = new QDialog(parent);
    dlg->setObjectName("AboutBox");
    dlg->setWindowTitle("About MDCapt Custom Control");
    QFont f(QStringLiteral("ＭＳ Ｐゴシック"));
    f.setPointSize(9);
    dlg->setFont(f);
    auto *layout = new QVBoxLayout(dlg);
    auto *icon = new QLabel(dlg);
    icon->setPixmap(dlg->style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    layout->addWidget(icon);
    auto line = [&] {
        auto *sep = new QFrame(dlg);
        sep->setFrameShape(QFrame::HLine);
        sep->setFrameShadow(QFrame::Sunken);
        layout->addWidget(sep);
    };
    for (const char *text : {"キャプションコントロール", "MDCAPT16/32.OCX", "Version: 4.10.000.2"})
        layout->addWidget(new QLabel(QString::fromUtf8(text), dlg));
    line();
    layout->addWidget(new QLabel(QStringLiteral("TqEn 営業日報 development team"), dlg));
    layout->addWidget(new QLabel(QStringLiteral("Linux edition, built with Qt 6"), dlg));
    line();
    auto *ok = new QPushButton(QStringLiteral("OK"), dlg);
    ok->setObjectName("1");
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, dlg, &QDialog::accept);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    return dlg;
}

void showAboutBox(QWidget *parent) {
    QDialog *dlg = createAboutBox(parent);
    dlg->exec();
    delete dlg;
}

}  // namespace tqen::captionctl
