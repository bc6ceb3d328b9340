#include "platform/text/Csv.h"

#include "platform/files/Files.h"

namespace tqen::text {

QString csvField(const QString &text) {
    // A NUL ends the text for many readers, which would then read the rest of
    // the record as fields of their own: it is left out.
    QString field = text;
    field.remove(QChar(0));
    // A spreadsheet reads a cell that begins with one of these as a formula
    // (=HYPERLINK(…), =cmd|…): a leading apostrophe keeps it text.
    static const QString formulaStarts = QStringLiteral("=+-@\t\r");
    if (!field.isEmpty() && formulaStarts.contains(field.front())) field.prepend(u'\'');
    bool quote = false;
    for (const QChar c : field)
        if (c == u',' || c == u'"' || c == u'\r' || c == u'\n') {
            quote = true;
            break;
        }
    // Spreadsheet programs trim unquoted blanks at either end.
    if (!field.isEmpty() && (field.front().isSpace() || field.back().isSpace())) quote = true;
    if (!quote) return field;
    QString out = field;
    out.replace(u'"', QStringLiteral("\"\""));
    return u'"' + out + u'"';
}

QString csvRecord(const QStringList &fields) {
    QString out;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i) out += u',';
        out += csvField(fields[i]);
    }
    return out + QStringLiteral("\r\n");
}

Error writeCsv(const QString &path, const QList<QStringList> &records, Encoding encoding) {
    QString text;
    for (const QStringList &r : records) text += csvRecord(r);
    QByteArray bytes;
    if (Error e = encode(text, encoding, &bytes); !e.ok()) return e;
    if (const Error e = files::writeFile(path, bytes); !e.ok())
        return Error(Error::Code::FileFailed, QStringLiteral("CSV ファイルを書けませんでした。"), e.text());
    return {};
}

}  // namespace tqen::text
