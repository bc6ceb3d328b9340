#pragma once
#include "platform/forms/Interaction.h"

namespace tqen::forms {

// The interaction of the running program: Qt message boxes and file dialogs,
// the desktop's URL handler.
class QtInteraction : public Interaction {
public:
    int messageBox(QWidget *owner, const QString &prompt, int style, const QString &title) override;
    bool openFileDialog(QWidget *owner, const FileDialogOptions &options, QString *chosen) override;
    bool saveFileDialog(QWidget *owner, const FileDialogOptions &options, QString *chosen,
                        int *chosenFilter = nullptr) override;
    bool shellOpen(const QString &target) override;
    bool askPassword(QWidget *owner, const QString &prompt, const QString &title, QString *typed) override;
    bool askWithText(QWidget *owner, const QString &prompt, const QString &label, const QString &title,
                     QString *typed) override;
};

}  // namespace tqen::forms
