#pragma once
// A report test's ground: the delivered work file in a temporary folder, the
// font substitutions, and look-ups in a laid-out document.
#include "model/Session.h"
#include "platform/forms/Fonts.h"
#include "platform/reporting/Output.h"
#include "tests/support/DeliveredFile.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

namespace tqen::testing {

class ReportFixture : public ::testing::Test {
protected:
    model::Session session;
    void SetUp() override {
        forms::InstallFontSubstitutions();
        ASSERT_TRUE(tmp.isValid());
        session = model::Session();
        session.workDbPath = copyDeliveredFile(tmp, QStringLiteral("TqenWork.mdb"));
        ASSERT_FALSE(session.workDbPath.isEmpty());
    }
    // The texts a control printed, on one page or (page -1) on every page.
    static QStringList texts(const reporting::Document &doc, const QString &control, int page = -1) {
        QStringList out;
        for (int p = 0; p < doc.pages.size(); ++p)
            for (const reporting::PageItem &i : doc.pages[p].items)
                if (i.control == control && (page < 0 || page == p)) out << i.text;
        return out;
    }
    // A control's first item on the first page, or null.
    static const reporting::PageItem *item(const reporting::Document &doc, const QString &control) {
        if (doc.pages.isEmpty()) return nullptr;
        for (const reporting::PageItem &i : doc.pages.first().items)
            if (i.control == control) return &i;
        return nullptr;
    }
    QTemporaryDir tmp;
};

}  // namespace tqen::testing
