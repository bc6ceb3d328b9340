// The host side against the real caption-control library of this build:
// registration, creation by CLSID, the program's own use of a calendar cell,
// unloading, and the failure codes.
#include "captionctl/MDCaptIds.h"
#include "platform/com/ControlHost.h"
#include "platform/com/OleColor.h"
#include "platform/com/Registry.h"
#include "platform/com/TypeLib.h"

#include <gtest/gtest.h>

#include "tests/support/FolderTest.h"
#include "tests/support/QtPrinters.h"

#include <QApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMouseEvent>
#include <QTemporaryDir>

#include <dlfcn.h>

using namespace tqen::com;

namespace {

namespace mdcapt = tqen::captionctl;
const Guid kControl = Guid::fromString(QString::fromLatin1(mdcapt::kControlClsid));
const Guid kPage = Guid::fromString(QString::fromLatin1(mdcapt::kPageClsid));
const Guid kLib = Guid::fromString(QString::fromLatin1(mdcapt::kTypeLibId));
const QString kLibrary = QStringLiteral(MDCAPT32_FILE);

// DllCanUnloadNow asked directly, without the host's bookkeeping; -1 when
// the library is not loaded at all.
HResult canUnloadNow() {
    void *h = dlopen(QFile::encodeName(kLibrary).constData(), RTLD_NOW | RTLD_NOLOAD);
    if (!h) return -1;
    auto fn = reinterpret_cast<DllCanUnloadNowFn>(dlsym(h, "DllCanUnloadNow"));
    const HResult hr = fn ? fn() : -2;
    dlclose(h);
    return hr;
}

class HostTest : public tqen::testing::ProfileFolderTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(ProfileFolderTest::SetUp());
        pointAt("TQEN_COM_REGISTRY", QStringLiteral("com-registry.json"));
    }
};

TEST_F(HostTest, RegisterCreateReleaseUnregister) {
    ASSERT_TRUE(QFile::exists(kLibrary)) << kLibrary.toStdString();
    ASSERT_EQ(registerServer(kLibrary), S_OK);
    const auto entry = Registry::findClass(kControl);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->progId, QString("MDCAPT.MDCaptCtrl.1"));
    EXPECT_EQ(entry->miscStatus, 0x32191u);
    EXPECT_EQ(entry->typeLib, kLib);
    EXPECT_TRUE(Registry::findClass(kPage));
    EXPECT_EQ(Registry::clsidFromProgId("MDCAPT.MDCaptPropPage.1"), std::optional<Guid>(kPage));
    ASSERT_TRUE(Registry::findTypeLib(kLib, 4, 1));
    EXPECT_EQ(Registry::findTypeLib(kLib, 4, 1)->lcid, 0x409u);  // English (United States)

    QWidget form;
    {
        HResult hr = E_FAIL;
        HostedControl a = HostedControl::create(kControl, &form, &hr);
        ASSERT_EQ(hr, S_OK);
        ASSERT_FALSE(a.isNull());
        EXPECT_EQ(a.widget()->parentWidget(), &form);
        HostedControl b = HostedControl::create("MDCAPT.MDCaptCtrl.1", &form, &hr);
        ASSERT_EQ(hr, S_OK);
        EXPECT_TRUE(isServerLoaded(kLibrary));
        EXPECT_EQ(canUnloadNow(), S_FALSE);
        a.release();
        EXPECT_TRUE(a.isNull());
        EXPECT_TRUE(isServerLoaded(kLibrary));  // b still lives
        EXPECT_EQ(canUnloadNow(), S_FALSE);
    }  // b released by its destructor
    EXPECT_FALSE(isServerLoaded(kLibrary));
    EXPECT_EQ(canUnloadNow(), -1);  // unloaded indeed

    ASSERT_EQ(registerServer(kLibrary, true), S_OK);
    EXPECT_FALSE(Registry::findClass(kControl));
    EXPECT_FALSE(Registry::findClass(kPage));
    EXPECT_FALSE(Registry::findTypeLib(kLib, 4, 1));
    HResult hr = S_OK;
    EXPECT_TRUE(HostedControl::create(kControl, &form, &hr).isNull());
    EXPECT_EQ(hr, REGDB_E_CLASSNOTREG);
}

TEST_F(HostTest, ControlDeletedWithItsFormIsNotReleasedTwice) {
    ASSERT_EQ(registerServer(kLibrary), S_OK);
    auto *form = new QWidget;
    HostedControl c = HostedControl::create(kControl, form);
    ASSERT_FALSE(c.isNull());
    delete form;  // Qt deletes the control with its parent
    EXPECT_TRUE(c.isNull());
    c.release();
    EXPECT_FALSE(isServerLoaded(kLibrary));
}

TEST_F(HostTest, FailureCodes) {
    // Unregistering what was never registered: the type library step fails.
    EXPECT_EQ(registerServer(kLibrary, true), SELFREG_E_TYPELIB);
    EXPECT_EQ(registerServer(dir.path() + "/missing.so"), CO_E_DLLNOTFOUND);
    // A registry that cannot be written.
    qputenv("TQEN_COM_REGISTRY", "/proc/no/such/registry.json");
    EXPECT_EQ(registerServer(kLibrary), SELFREG_E_TYPELIB);
    qputenv("TQEN_COM_REGISTRY", (dir.path() + "/com-registry.json").toUtf8());
    // A class whose server file is gone.
    ASSERT_EQ(registerServer(kLibrary), S_OK);
    ClassEntry moved = *Registry::findClass(kControl);
    moved.server = dir.path() + "/moved.so";
    ASSERT_TRUE(Registry::registerClass(moved));
    HResult hr = S_OK;
    EXPECT_TRUE(HostedControl::create(kControl, nullptr, &hr).isNull());
    EXPECT_EQ(hr, CO_E_DLLNOTFOUND);
    // ensureRegistered repairs it.
    EXPECT_EQ(ensureRegistered(kControl, kLibrary), S_OK);
    EXPECT_EQ(Registry::findClass(kControl)->server, QFileInfo(kLibrary).canonicalFilePath());
}

TEST_F(HostTest, TypeLibraryGoneMeansUnregisterFailsAndClassesStay) {
    ASSERT_EQ(registerServer(kLibrary), S_OK);
    ASSERT_TRUE(Registry::unregisterTypeLib(kLib, 4, 1));
    EXPECT_EQ(registerServer(kLibrary, true), SELFREG_E_TYPELIB);
    EXPECT_TRUE(Registry::findClass(kControl));
    EXPECT_TRUE(Registry::findClass(kPage));
}

TEST_F(HostTest, TypeInformationReadableFromTheRegisteredLibrary) {
    ASSERT_EQ(registerServer(kLibrary), S_OK);
    HResult hr = E_FAIL;
    const auto lib = loadRegTypeLib(kLib, 4, 1, &hr);
    ASSERT_TRUE(lib) << hr;
    EXPECT_EQ(lib->name, QString("MDCaptLib"));
    const TypeDescription *mp = lib->find("enumMP");
    ASSERT_TRUE(mp);
    EXPECT_EQ(mp->members.size(), 16);
    EXPECT_EQ(mp->members.last().name, QString("_MP_CUSTOM"));
    EXPECT_EQ(mp->members.last().id, 99);
    const TypeDescription *disp = lib->find("_DMDCapt");
    ASSERT_TRUE(disp);
    EXPECT_EQ(disp->guid, Guid::fromString("{4E81B7C1-93A2-4D5F-A6E1-2C07D5B3F94A}"));
    const TypeDescription *coclass = lib->find("MDCaption");
    ASSERT_TRUE(coclass);
    EXPECT_EQ(coclass->guid, kControl);
    EXPECT_EQ(coclass->defaultSource, QString("_DMDCaptEvents"));
    EXPECT_FALSE(loadRegTypeLib(kLib, 4, 0, &hr));
    EXPECT_EQ(hr, TYPE_E_LIBNOTREGISTERED);
}

// The main screen's day cell: created by CLSID, given the stored layout of
// the form and twips, then driven by DISPID, and clicked.
TEST_F(HostTest, CalendarCellAsTheProgramUsesIt) {
    ASSERT_EQ(registerServer(kLibrary), S_OK);
    QWidget form;
    form.resize(400, 300);
    HostedControl cell = HostedControl::create(kControl, &form);
    ASSERT_FALSE(cell.isNull());
    cell.control()->setAmbient({ContainerUnits::Twips, true, false, "LblCald"});
    const PropertyBag bag(QVariantMap{
        {"BorderStyle", 1}, {"BorderEffect", 1}, {"LabelAlignment", 2}, {"LabelPosition", 7},
        {"LabelWidth", 64}, {"LabelHeight", 16}, {"TopMargin", 4}, {"BottomMargin", 4},
        {"LeftMargin", 4}, {"RightMargin", 4}, {"Spacing", 4}, {"AutoAdjust", false},
        {"ToolTip", QString()},
        {"Font", QVariantMap{{"Name", "ＭＳ Ｐゴシック"}, {"Size", 11.25}}},
        {"ForeColor", uint(kSysButtonText)}, {"BackColor", uint(kSysButtonFace)}});
    ASSERT_EQ(cell.control()->load(bag), S_OK);
    cell.widget()->setGeometry(10, 10, 60, 40);
    QStringList events;
    cell.onEvent([&](int dispid, const QString &name, const QVariantList &args) {
        events << QString("%1 %2 %3").arg(name).arg(dispid).arg(args.size());
    });

    Dispatch *d = cell.dispatch();
    EXPECT_TRUE(d->put(mdcapt::DISPID_CAPTION, "15").ok());
    EXPECT_TRUE(d->put(mdcapt::DISPID_BACKCOLOR, uint(rgb(255, 255, 0))).ok());
    EXPECT_TRUE(d->put(mdcapt::DISPID_FORECOLOR, uint(rgb(255, 0, 0))).ok());
    EXPECT_TRUE(d->put(mdcapt::DISPID_FontSize, 9.0).ok());
    EXPECT_TRUE(d->put(mdcapt::DISPID_LabelPosition, 6).ok());
    EXPECT_EQ(d->get(mdcapt::DISPID_CAPTION).value.toString(), QString("15"));
    EXPECT_EQ(d->get(mdcapt::DISPID_BACKCOLOR).value.toUInt(), rgb(255, 255, 0));
    EXPECT_FLOAT_EQ(d->get(mdcapt::DISPID_FontSize).value.toFloat(), 9.0f);
    EXPECT_EQ(d->get(mdcapt::DISPID_LabelPosition).value.toInt(), 6);
    // The numbers are the control's own: names and identifiers agree.
    EXPECT_EQ(d->idOfName("Caption"), mdcapt::DISPID_CAPTION);
    EXPECT_EQ(d->idOfName("FontSize"), mdcapt::DISPID_FontSize);
    EXPECT_EQ(d->idOfName("LabelPosition"), mdcapt::DISPID_LabelPosition);
    EXPECT_EQ(d->getProperty("ToolTip").value.toString(), QString());
    EXPECT_EQ(d->getProperty("FontName").value.toString(), QString("ＭＳ Ｐゴシック"));
    // Lengths come back in twips: 64 px is 960 twips.
    EXPECT_NEAR(d->getProperty("LabelWidth").value.toFloat(), 960.0f, 1.0f);
    EXPECT_EQ(cell.widget()->accessibleName(), QString("15"));

    // The face: yellow background, red label text somewhere inside.
    const QImage face = cell.control()->drawImage(QSize(60, 40));
    EXPECT_EQ(face.pixelColor(30, 35), QColor(255, 255, 0));
    if (qEnvironmentVariableIsSet("TQEN_SHOTS")) face.scaled(240, 160).save(qEnvironmentVariable("TQEN_SHOTS") + "/cell.png");
    int red = 0;
    for (int y = 0; y < face.height(); ++y)
        for (int x = 0; x < face.width(); ++x) {
            const QColor c = face.pixelColor(x, y);
            if (c.red() > 200 && c.green() < 120 && c.blue() < 120) ++red;
        }
    EXPECT_GT(red, 5);

    QMouseEvent press(QEvent::MouseButtonPress, QPointF(20, 20), QPointF(30, 30), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(20, 20), QPointF(30, 30),
                        Qt::LeftButton, Qt::NoButton, Qt::ShiftModifier);
    QApplication::sendEvent(cell.widget(), &press);
    QApplication::sendEvent(cell.widget(), &release);
    EXPECT_EQ(events, QStringList({"MouseDown -605 4", "MouseUp -607 4", "Click -600 0"}));

    // Errors come back with the control's code and text.
    const DispResult bad = d->put(mdcapt::DISPID_LabelPosition, 8);
    EXPECT_EQ(bad.code, 380);
    EXPECT_EQ(bad.hresult(), qint32(0x800A017Cu));
    EXPECT_EQ(bad.text, QString("ﾗﾍﾞﾙ位置の設定範囲は整数の -32767 から +32767までです。"));
    EXPECT_EQ(d->getProperty("NoSuchThing").code, 438);
}

// The calendar's 37 cells look their class up 37 times; the registry file is
// parsed once for them, and again only after it was written.
TEST_F(HostTest, RegistryIsParsedOnceForManyCells) {
    ASSERT_EQ(registerServer(kLibrary), S_OK);  // written by the library
    QWidget form;
    const quint64 before = Registry::fileReads();
    std::vector<HostedControl> cells;
    for (int i = 0; i < 37; ++i) {
        cells.push_back(HostedControl::create(kControl, &form));
        ASSERT_FALSE(cells.back().isNull());
    }
    EXPECT_EQ(Registry::fileReads() - before, 1u);
    ASSERT_EQ(registerServer(kLibrary), S_OK);  // a new file
    EXPECT_TRUE(Registry::findClass(kControl));
    EXPECT_TRUE(Registry::findClass(kPage));
    EXPECT_EQ(Registry::fileReads() - before, 2u);
}

// Reading the type information or registering again loads the library's
// file for a moment; that must not unload the library under live controls.
TEST_F(HostTest, LoadingTheFileForAMomentKeepsALoadedLibrary) {
    ASSERT_EQ(registerServer(kLibrary), S_OK);
    QWidget form;
    HostedControl cell = HostedControl::create(kControl, &form);
    ASSERT_FALSE(cell.isNull());
    EXPECT_TRUE(loadRegTypeLib(kLib, 4, 1));
    EXPECT_EQ(registerServer(kLibrary), S_OK);
    EXPECT_EQ(canUnloadNow(), S_FALSE);  // still loaded, with a live control
    EXPECT_TRUE(cell.dispatch()->put(mdcapt::DISPID_CAPTION, "7").ok());
    EXPECT_EQ(cell.dispatch()->get(mdcapt::DISPID_CAPTION).value.toString(), QString("7"));
    cell.release();
    EXPECT_FALSE(isServerLoaded(kLibrary));
    EXPECT_EQ(canUnloadNow(), -1);
}

TEST_F(HostTest, EventsGoToTheLatestCallbackUntilRelease) {
    ASSERT_EQ(registerServer(kLibrary), S_OK);
    QWidget form;
    HostedControl cell = HostedControl::create(kControl, &form);
    ASSERT_FALSE(cell.isNull());
    cell.widget()->setGeometry(0, 0, 40, 20);
    int first = 0, second = 0;
    cell.onEvent([&](int dispid, const QString &, const QVariantList &) { first += dispid == mdcapt::DISPID_CLICK; });
    cell.onEvent([&](int dispid, const QString &name, const QVariantList &) {
        if (dispid == mdcapt::DISPID_CLICK) {
            EXPECT_EQ(name, QString("Click"));
            ++second;
        }
    });
    auto click = [&] {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(cell.widget(), &press);
        QApplication::sendEvent(cell.widget(), &release);
    };
    click();
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 1);
    cell.onEvent({});  // disconnected
    click();
    EXPECT_EQ(second, 1);
}

}  // namespace
