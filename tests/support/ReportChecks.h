#pragma once
// Checks on what a report drew, for the report tests.
#include "tests/support/Recording.h"

#include <gtest/gtest.h>

#include <QMap>

namespace tqen::testing {

// No two texts drawn on one page cover each other (touching is fine), and no
// text above `footerTop` reaches below it.
inline void expectNoOverlap(const reporting::RecordingDevice &device, qreal footerTop) {
    QMap<int, QList<reporting::RecordingDevice::Text>> byPage;
    for (const auto &t : device.texts) byPage[t.page] << t;
    int reported = 0;
    for (auto it = byPage.begin(); it != byPage.end(); ++it) {
        const auto &texts = it.value();
        for (qsizetype i = 0; i < texts.size(); ++i) {
            const QRectF a = texts[i].box.adjusted(0.5, 0.5, -0.5, -0.5);
            if (texts[i].box.top() < footerTop && texts[i].box.bottom() > footerTop + 0.5 && reported++ < 5)
                ADD_FAILURE() << "page " << it.key() + 1 << ": \"" << texts[i].text.left(20).toStdString()
                              << "\" crosses the page footer";
            for (qsizetype j = i + 1; j < texts.size(); ++j) {
                if (!a.intersects(texts[j].box.adjusted(0.5, 0.5, -0.5, -0.5))) continue;
                if (reported++ < 5)
                    ADD_FAILURE() << "page " << it.key() + 1 << ": \"" << texts[i].text.left(20).toStdString()
                                  << "\" overlaps \"" << texts[j].text.left(20).toStdString() << "\"";
            }
        }
    }
}

// The texts of one page, in drawing order, joined.
inline QString pageText(const reporting::RecordingDevice &device, int page) {
    QString out;
    for (const auto &t : device.texts)
        if (t.page == page) out += t.text;
    return out;
}

}  // namespace tqen::testing
