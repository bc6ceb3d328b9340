#include "maintenance/JetConversion.h"

#include "core/WindowsDataImport.h"
#include "platform/forms/Interaction.h"
#include "platform/mdbreader/MdbReader.h"

#include <QApplication>
#include <QCursor>

namespace tqen::maintenance {

Conversion OfferConversion(QWidget *parent, model::Session &session, const QString &path, QString *newPath) {
    if (!mdbreader::isJetFile(path)) return Conversion::NotWindowsFile;
    const QString title = QStringLiteral("データファイルの変換");
    const int answer = forms::interaction().messageBox(parent, QStringLiteral("Windows版のデータファイルです。変換しますか"),
                                                       forms::mb::YesNo | forms::mb::Question, title);
    if (answer != forms::mb::IdYes) return Conversion::Declined;
    ImportSummary summary;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Error error = ImportWindowsDataFile(path, &summary);
    QApplication::restoreOverrideCursor();
    if (error.ok()) error = UseAsDataFile(session, summary.newPath);
    if (!error.ok()) {
        forms::interaction().messageBox(parent, error.message(), forms::mb::OK | forms::mb::Critical, title);
        return Conversion::Failed;
    }
    const int style = forms::mb::OK | (summary.skipped() ? forms::mb::Exclamation : forms::mb::Information);
    forms::interaction().messageBox(parent, summary.text() + QStringLiteral("\n\nこのファイルをデータファイルとして使います。"), style,
                                    title);
    if (newPath) *newPath = summary.newPath;
    return Conversion::Converted;
}

}  // namespace tqen::maintenance
