#include "platform/forms/Interaction.h"

#include "platform/dao/Server.h"
#include "platform/drives/DriveTable.h"
#include "platform/files/Files.h"
#include "platform/forms/QtInteraction.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace tqen::forms {

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

FileDialogOptions optionsOf(const FileDialogRequest &r) {
    FileDialogOptions options;
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
    const bool ok = interaction().openFileDialog(owner, optionsOf(request), &path);
    return finish(ok, path, request);
}

int SaveFileDialog(QWidget *owner, FileDialogRequest &request) {
    QString path;
    int filter = request.filterIndex;
    const bool ok = interaction().saveFileDialog(owner, optionsOf(request), &path, &filter);
    if (ok) request.filterIndex = filter;
    return finish(ok, path, request);
}

QString dialogStartPath(const FileDialogOptions &options) {
    QString folder = options.initialFolder;
    // No folder, or one that is not there ("/" is no place to save in):
    // the user's documents, else home.
    if (folder.isEmpty() || folder == QStringLiteral("/") || !files::folderExists(folder)) {
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (folder.isEmpty() || !files::folderExists(folder)) folder = QDir::homePath();
    }
    if (options.defaultName.isEmpty()) return folder;
    return QDir(folder).filePath(options.defaultName);
}

namespace mb {

QList<int> buttonsOf(int style) {
    switch (style & 0xf) {
    case OKCancel: return {IdOK, IdCancel};
    case AbortRetryIgnore: return {IdAbort, IdRetry, IdIgnore};
    case YesNoCancel: return {IdYes, IdNo, IdCancel};
    case YesNo: return {IdYes, IdNo};
    case RetryCancel: return {IdRetry, IdCancel};
    default: return {IdOK};
    }
}

int defaultAnswer(int style) {
    const QList<int> buttons = buttonsOf(style);
    const int index = (style & 0xf00) / 256;
    return buttons.value(index, buttons.first());
}

int closeAnswer(int style) {
    const QList<int> buttons = buttonsOf(style);
    if (buttons.contains(IdCancel)) return IdCancel;
    if (buttons.size() == 1) return buttons.first();
    if (buttons.contains(IdNo)) return IdNo;
    return buttons.last();
}

}  // namespace mb

int Interaction::shellCopy(QWidget *owner, const QString &from, const QString &to, const QString &title) {
    if (!files::fileExists(from)) {
        messageBox(owner, QStringLiteral("コピー元のファイル %1 が見つかりません。").arg(from),
                   mb::OK | mb::Critical, title);
        return 2;
    }
    if (!mayReplace(owner, to, title)) return 1;
    const Error error = files::copyFile(from, to);
    if (!error.ok()) {
        messageBox(owner, QStringLiteral("コピーできませんでした。\n%1").arg(error.text()), mb::OK | mb::Critical,
                   title);
        return 2;
    }
    return 0;
}

bool Interaction::mayReplace(QWidget *owner, const QString &path, const QString &title) {
    if (!files::fileExists(path)) return true;
    return messageBox(owner, QStringLiteral("%1 は既に存在します。\n上書きしますか?").arg(path), mb::YesNo | mb::Question,
                      title) == mb::IdYes;
}

namespace {
Interaction *g_override = nullptr;
}

Interaction &interaction() {
    if (g_override) return *g_override;
    static QtInteraction qt;
    return qt;
}

void setInteraction(Interaction *other) { g_override = other; }

QString programTitle() { return QStringLiteral("営業日報"); }

void showError(QWidget *owner, const Error &error, int icon) {
    if (error.ok() || error.code() == Error::Code::Cancelled) return;
    interaction().messageBox(owner, dao::maskPasswords(error.message()), mb::OK | icon, programTitle());
}

}  // namespace tqen::forms
