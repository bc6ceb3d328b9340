// The property page of the real library, created through the registry.
#include "captionctl/MDCaptIds.h"
#include "captionctl/MDCaptProperties.h"
#include "captionctl/CMDCaptCtrl.h"
#include "captionctl/Module.h"
#include "captionctl/StringTable.h"
#include "platform/com/ControlHost.h"
#include "platform/com/Registry.h"
#include "platform/profile/PrivateProfile.h"

#include <gtest/gtest.h>

#include "tests/support/FolderTest.h"
#include "tests/support/QtPrinters.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

using namespace tqen::com;

namespace {

const Guid kControl = Guid::fromString(QString::fromLatin1(tqen::captionctl::kControlClsid));

class PropPageTest : public tqen::testing::ProfileFolderTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(ProfileFolderTest::SetUp());
        pointAt("TQEN_COM_REGISTRY", QStringLiteral("reg.json"));
        ASSERT_EQ(registerServer(QStringLiteral(MDCAPT32_FILE)), S_OK);
        control = HostedControl::create(kControl, &form);
        ASSERT_FALSE(control.isNull());
        control.control()->setAmbient({ContainerUnits::Pixels, true, false, "MDCaption1"});
        control.control()->initNew();
        frame = std::make_unique<PropertyFrame>(control.control());
        ASSERT_EQ(frame->pageCount(), 1);  // the standard pages are not registered here
        page = frame->page(0)->widget();
    }
    void TearDown() override {
        frame.reset();
        control.release();
        ProfileFolderTest::TearDown();
    }
    template <class T> T *ctl(int id) { return page->findChild<T *>(QString("ctl%1").arg(id)); }
    tqen::profile::PrivateProfile ini() { return tqen::profile::PrivateProfile("HX4WIN.INI"); }

    QWidget form;
    HostedControl control;
    std::unique_ptr<PropertyFrame> frame;
    QWidget *page = nullptr;
};

TEST_F(PropPageTest, ListsFilledFromTheTypeInformation) {
    EXPECT_EQ(frame->page(0)->title(), QString("全般"));
    struct L { int id; int count; const char *first; const char *last; } lists[] = {
        {264, 16, "0 - _MP_DEFAULT", "99 - _MP_CUSTOM"},
        {254, 5, "0 - _MD_BORDER_EFFECT_NONE", "4 - _MD_BORDER_EFFECT_INSET"},
        {260, 5, "0 - _MD_BORDER_EFFECT_NONE", "4 - _MD_BORDER_EFFECT_INSET"},
        {262, 5, "0 - _MD_BORDER_EFFECT_NONE", "4 - _MD_BORDER_EFFECT_INSET"},
        {259, 2, "0 - _MD_BORDER_STYLE_NONE", "1 - _MD_BORDER_STYLE_FIXEDSINGLE"},
        {263, 2, "0 - _MD_BORDER_STYLE_NONE", "1 - _MD_BORDER_STYLE_FIXEDSINGLE"},
        {261, 3, "0 - _MD_ALIGN_LEFT", "2 - _MD_ALIGN_CENTER"},
        {267, 8, "0 - _MD_LABELPOS_ABOVECENTER", "7 - _MD_LABELPOS_LEFTTOP"},
    };
    for (const auto &l : lists) {
        auto *cb = ctl<QComboBox>(l.id);
        ASSERT_TRUE(cb) << l.id;
        EXPECT_EQ(cb->count(), l.count) << l.id;
        EXPECT_EQ(cb->itemText(0), QString(l.first)) << l.id;
        EXPECT_EQ(cb->itemText(cb->count() - 1), QString(l.last)) << l.id;
    }
    EXPECT_EQ(ctl<QComboBox>(267)->currentIndex(), 7);  // the control's LabelPosition
    EXPECT_EQ(ctl<QLineEdit>(201)->text(), QString("MDCapt"));
    EXPECT_EQ(ctl<QLineEdit>(242)->text(), QString("MDCaption1"));
    EXPECT_EQ(ctl<QPushButton>(220)->text(), QString("保存"));
    EXPECT_EQ(ctl<QPushButton>(221)->text(), QString("リセット"));
    EXPECT_EQ(ctl<QPushButton>(222)->text(), QString("製品情報"));
    EXPECT_FALSE(ctl<QLineEdit>(229)->isVisibleTo(page));  // hidden BackColor edit
}

TEST_F(PropPageTest, ApplySendsChangesAndMapsTheLastPointer) {
    ctl<QComboBox>(264)->setCurrentIndex(15);
    ctl<QComboBox>(254)->setCurrentIndex(3);
    ctl<QLineEdit>(242)->setText("名前");
    EXPECT_TRUE(frame->page(0)->isDirty());
    ASSERT_TRUE(frame->applyAll());
    Dispatch *d = control.dispatch();
    EXPECT_EQ(d->getProperty("MousePointer").value.toInt(), 99);
    EXPECT_EQ(d->getProperty("BorderEffect").value.toInt(), 3);
    EXPECT_EQ(d->getProperty("Caption").value.toString(), QString("名前"));
    // And back: 99 selects the last entry.
    frame->page(0)->activate();
    EXPECT_EQ(ctl<QComboBox>(264)->currentIndex(), 15);
}

TEST_F(PropPageTest, SaveWritesTheDefaultsAndResetRemovesThem) {
    ctl<QComboBox>(264)->setCurrentIndex(15);
    ctl<QComboBox>(267)->setCurrentIndex(3);
    ctl<QCheckBox>(253)->setChecked(true);
    ctl<QPushButton>(220)->click();  // 保存
    EXPECT_EQ(ini().readInt("mdcapt", "MousePointer", 0), 99);
    EXPECT_EQ(ini().readInt("mdcapt", "LabelPosition", 0), 3);
    EXPECT_EQ(ini().readInt("mdcapt", "AutoAdjust", 0), 1);
    EXPECT_EQ(ini().readString("mdcapt", "Tooltip", ""), QString("MDCapt"));
    EXPECT_FALSE(ini().contains("mdcapt", "LabelWidth"));  // lengths are not saved
    for (const tqen::captionctl::PropertyDef &p : tqen::captionctl::CMDCaptCtrl::properties()) {
        const QString key = tqen::captionctl::loadString(p.profileKey);
        EXPECT_EQ(ini().contains("mdcapt", key), bool(p.profile & tqen::captionctl::WrittenBySave))
            << p.name;
    }
    EXPECT_FALSE(frame->page(0)->isDirty());

    // A new control now starts with the saved values.
    HostedControl fresh = HostedControl::create(kControl, &form);
    fresh.control()->initNew();
    EXPECT_EQ(fresh.dispatch()->getProperty("LabelPosition").value.toInt(), 3);
    EXPECT_EQ(fresh.dispatch()->getProperty("MousePointer").value.toInt(), 99);

    ctl<QPushButton>(221)->click();  // リセット
    EXPECT_TRUE(ini().keys("mdcapt").isEmpty());
    EXPECT_EQ(ctl<QComboBox>(267)->currentIndex(), 7);
    EXPECT_EQ(ctl<QComboBox>(264)->currentIndex(), 0);
    EXPECT_FALSE(ctl<QCheckBox>(253)->isChecked());
    EXPECT_TRUE(ctl<QCheckBox>(255)->isChecked());
    EXPECT_EQ(ctl<QLineEdit>(229)->text(), QString("16777215"));
    EXPECT_EQ(ctl<QLineEdit>(202)->text(), QString("MS Pゴシック"));
    EXPECT_FALSE(frame->page(0)->isDirty());
    HostedControl after = HostedControl::create(kControl, &form);
    after.control()->initNew();
    EXPECT_EQ(after.dispatch()->getProperty("LabelPosition").value.toInt(), 7);
    EXPECT_EQ(after.dispatch()->getProperty("MousePointer").value.toInt(), 0);
}

TEST_F(PropPageTest, PageIndexWithoutAPageIsNull) {
    EXPECT_NE(frame->page(0), nullptr);
    EXPECT_EQ(frame->page(1), nullptr);
    EXPECT_EQ(frame->page(-1), nullptr);
    PropertyFrame empty(nullptr);
    EXPECT_EQ(empty.pageCount(), 0);
    EXPECT_EQ(empty.page(0), nullptr);
}

TEST_F(PropPageTest, HelpButtonShowsThePageHelpAndAsksForItsTopic) {
    auto *help = frame->findChild<QPushButton *>("helpButton");
    ASSERT_TRUE(help);
    EXPECT_TRUE(help->isEnabled());
    EXPECT_EQ(help->toolTip(), QString("Customize ZU Derarari's properties"));
    QString file;
    quint32 context = 0;
    PropertyFrame::setHelpViewer([&](const QString &f, quint32 c) {
        file = f;
        context = c;
    });
    help->click();
    PropertyFrame::setHelpViewer({});
    EXPECT_EQ(context, 74001u);
    // The registry names no help folder: the help file beside the library.
    EXPECT_EQ(file, QFileInfo(QStringLiteral(MDCAPT32_FILE)).canonicalPath() + "/MDCAPT.html");
    EXPECT_TRUE(QFile::exists(file));
}

TEST_F(PropPageTest, RegisteredHelpFolderComesBeforeTheLibrarysOwn) {
    // The library starts again with the next control, and looks again.
    frame.reset();
    control.release();
    ASSERT_FALSE(isServerLoaded(QStringLiteral(MDCAPT32_FILE)));
    ASSERT_TRUE(Registry::setValue(tqen::captionctl::kHelpDirKey, dir.path()));
    control = HostedControl::create(kControl, &form);
    ASSERT_FALSE(control.isNull());
    frame = std::make_unique<PropertyFrame>(control.control());
    ASSERT_EQ(frame->pageCount(), 1);
    EXPECT_EQ(frame->page(0)->help().file, dir.path() + "/MDCAPT.html");
}

}  // namespace
