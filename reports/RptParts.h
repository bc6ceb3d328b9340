#pragma once
// The pieces the printed reports are laid out with: labels, fields, page
// numbers and rules placed in twips, and the dates they print in the
// session's date style.
#include "platform/reporting/Report.h"

#include <QDate>
#include <QString>

namespace tqen::rpt {

// A report's texts, all of one height.
struct Parts {
    int textHeight;

    reporting::Control label(const QString &name, const QString &caption, int left, int top, int width) const;
    // A field bound to a field of the report's data (empty: its text is set by
    // the report's code); a growing one wraps and grows to hold its text.
    reporting::Control field(const QString &name, const QString &dataField, int left, int top, int width,
                             bool grows = false) const;
    // The page number or the number of pages, written into `format` (%1).
    reporting::Control summary(const QString &name, reporting::Summary what, const QString &format, int left, int top,
                               int width, Qt::Alignment alignment) const;
};

// A rule across, and one down.
reporting::Control rule(const QString &name, int left, int top, int width, int weight = 15);
reporting::Control vrule(const QString &name, int left, int top, int height);

// The print date in the page header ("2002年02月14日", "平成14年02月14日") and a
// report's day on its line ("2002/02/14", "H14/02/14").
QString printedOn(const QDate &day, bool western);
QString dayText(const QDate &day, bool western);

}  // namespace tqen::rpt
