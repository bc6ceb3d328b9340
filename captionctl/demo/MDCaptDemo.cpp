// Demo host of the caption control: registers the library of this build when
// needed, places a control with a framed text box and a calendar-cell-like
// control, and opens the property sheet or the About box.
#include "captionctl/MDCaptIds.h"
#include "platform/com/ControlHost.h"
#include "platform/com/OleColor.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace tqen::com;
namespace mdcapt = tqen::captionctl;

static const Guid kCLSID_MDCaption = Guid::fromString(QString::fromLatin1(mdcapt::kControlClsid));

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    const HResult reg = ensureRegistered(kCLSID_MDCaption, captionLibraryPath());
    if (failed(reg)) {
        qCritical("cannot register %s: 0x%08X", qPrintable(captionLibraryPath()), uint(reg));
        return 1;
    }
    QWidget window;
    window.setWindowTitle("MDCaption demo");
    auto *layout = new QVBoxLayout(&window);
    auto *form = new QWidget(&window);
    form->setMinimumSize(420, 200);
    layout->addWidget(form);

    HResult hr = S_OK;
    HostedControl framed = HostedControl::create(kCLSID_MDCaption, form, &hr);
    if (framed.isNull()) {
        qCritical("cannot create the control: 0x%08X", uint(hr));
        return 1;
    }
    framed.control()->setAmbient({ContainerUnits::Twips, true, false, "MDCaption1"});
    framed.control()->initNew();
    framed.widget()->setGeometry(10, 10, 300, 60);
    auto *edit = new QLineEdit(framed.widget());
    edit->setObjectName("txt例");
    edit->setGeometry(80, 20, 150, 24);
    Dispatch *d = framed.dispatch();
    d->putProperty("Caption", "名前(&N)");
    d->putProperty("BorderStyle", 1);
    d->putProperty("BorderEffect", 2);
    d->putProperty("ChildBorderEffect", 4);
    d->putProperty("AutoAdjust", true);
    d->putProperty("ToolTip", "ツールチップの例です");

    HostedControl cell = HostedControl::create(kCLSID_MDCaption, form, &hr);
    cell.control()->setAmbient({ContainerUnits::Twips, true, false, "LblCald"});
    cell.control()->load(PropertyBag(QVariantMap{
        {"BorderStyle", 1}, {"BorderEffect", 1}, {"LabelAlignment", 2}, {"LabelPosition", 7},
        {"LabelWidth", 64}, {"LabelHeight", 16}, {"AutoAdjust", false}, {"ToolTip", QString()},
        {"Font", QVariantMap{{"Name", "ＭＳ Ｐゴシック"}, {"Size", 11.25}}},
        {"ForeColor", uint(kSysButtonText)}, {"BackColor", uint(kSysButtonFace)}}));
    cell.widget()->setGeometry(10, 110, 72, 40);
    cell.dispatch()->put(mdcapt::DISPID_CAPTION, "8");
    auto *status = new QLabel("Click the day cell", &window);
    cell.onEvent([status](int dispid, const QString &, const QVariantList &) {
        if (dispid == mdcapt::DISPID_CLICK) status->setText("Click received from the day cell");
    });

    auto *buttons = new QHBoxLayout;
    auto *props = new QPushButton("プロパティ...", &window);
    auto *about = new QPushButton("製品情報...", &window);
    buttons->addWidget(props);
    buttons->addWidget(about);
    layout->addLayout(buttons);
    layout->addWidget(status);
    QObject::connect(props, &QPushButton::clicked, &window, [&] {
        PropertyFrame frame(framed.control(), &window);
        frame.exec();
    });
    QObject::connect(about, &QPushButton::clicked, &window,
                     [&] { framed.dispatch()->invokeMethod("AboutBox"); });
    window.show();
    const int rc = app.exec();
    cell.release();
    framed.release();
    return rc;
}
