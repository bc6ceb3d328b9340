#include "core/ModApi.h"

#include "platform/drives/DriveTable.h"
#include "platform/files/Files.h"
#include "platform/forms/Interaction.h"

#include <QFileInfo>
#include <QStringList>

namespace tqen::ModApi {

QStringList FilterList(const QString &filter) {
    // Each "|" ends a field; description and pattern alternate.
    QStringList fields = filter.split(QLatin1Char('|'));
    if (!fields.isEmpty() && fields.last().isEmpty()) fields.removeLast();
    QStringList out;
    for (qsizetype i = 0; i + 1 < fields.size(); i += 2) {
        const QString description = fields[i];
        QString patterns = fields[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        // Qt takes the patterns from the parentheses at the entry's end; a
        // description that ends in them already is not given them twice.
        const QString inParentheses = QLatin1Char('(') + patterns + QLatin1Char(')');
        if (description.trimmed().endsWith(inParentheses)) out << description.trimmed();
        else out << QStringLiteral("%1 (%2)").arg(description, patterns);
    }
    return out;
}

namespace {

forms::FileDialogOptions specOf(const FileDialogRequest &r) {
    forms::FileDialogOptions options;
    options.title = r.title;
    options.filters = FilterList(r.filter);
    options.filterIndex = r.filterIndex;
    QString folder = r.initialFolder;
    if (folder.size() >= 2 && folder[1] == QLatin1Char(':')) folder = drives::toLocalPath(folder);
    options.initialFolder = folder;
    options.defaultName = r.defaultName;
    return options;
}

int finish(bool chosen, const QString &path, FileDialogRequest &request) {
    if (!chosen) return 0;
    request.chosenPath = path;
    request.chosenName = QFileInfo(path).fileName();
    return 1;
}

}  // namespace

int OpenFileDialog(QWidget *owner, FileDialogRequest &request) {
    QString path;
    const bool ok = forms::interaction().openFileDialog(owner, specOf(request), &path);
    return finish(ok, path, request);
}

int SaveFileDialog(QWidget *owner, FileDialogRequest &request) {
    QString path;
    const bool ok = forms::interaction().saveFileDialog(owner, specOf(request), &path);
    return finish(ok, path, request);
}

qint32 FileSizeOf(const QString &path) { return files::fileSize(path); }

}  // namespace tqen::ModApi
