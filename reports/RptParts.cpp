#include "reports/RptParts.h"

#include "platform/dates/DateFormat.h"

namespace tqen::rpt {

using reporting::Control;
using reporting::ControlKind;

Control Parts::label(const QString &name, const QString &caption, int left, int top, int width) const {
    Control c;
    c.name = name;
    c.kind = ControlKind::Label;
    c.text = caption;
    c.left = left;
    c.top = top;
    c.width = width;
    c.height = textHeight;
    return c;
}

Control Parts::field(const QString &name, const QString &dataField, int left, int top, int width, bool grows) const {
    Control c = label(name, QString(), left, top, width);
    c.kind = ControlKind::Field;
    c.dataField = dataField;
    c.canGrow = grows;
    return c;
}

Control Parts::summary(const QString &name, reporting::Summary what, const QString &format, int left, int top, int width,
                       Qt::Alignment alignment) const {
    Control c = field(name, QString(), left, top, width);
    c.summary = what;
    c.summaryFormat = format;
    c.alignment = alignment;
    return c;
}

Control rule(const QString &name, int left, int top, int width, int weight) {
    Control c;
    c.name = name;
    c.kind = ControlKind::Line;
    c.left = left;
    c.top = top;
    c.width = width;
    c.lineWeight = weight;
    return c;
}

Control vrule(const QString &name, int left, int top, int height) {
    Control c = rule(name, left, top, 0);
    c.height = height;
    return c;
}

QString printedOn(const QDate &day, bool western) {
    return FormatDate(day, western ? QStringLiteral("yyyy年mm月dd日") : QStringLiteral("gggee年mm月dd日"));
}

QString dayText(const QDate &day, bool western) {
    return FormatDate(day, western ? QStringLiteral("yyyy/mm/dd") : QStringLiteral("gee/mm/dd"));
}

}  // namespace tqen::rpt
