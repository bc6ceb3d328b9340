#include "platform/forms/ScriptedInteraction.h"

namespace tqen::forms {

int ScriptedInteraction::messageBox(QWidget *, const QString &prompt, int style, const QString &title) {
    int answer = mb::defaultAnswer(style);
    if (!answers_.empty()) {
        const int scripted = answers_.front();
        answers_.pop_front();
        if (scripted != Enter) answer = scripted;
    }
    shown.push_back({prompt, title, style, answer});
    return answer;
}

bool ScriptedInteraction::fileDialog(bool save, const FileDialogOptions &options, QString *chosen, int *chosenFilter) {
    dialogs.push_back({save, options});
    if (files_.empty()) return false;
    const auto [path, filter] = files_.front();
    files_.pop_front();
    if (path.isEmpty()) return false;
    *chosen = path;
    if (chosenFilter) *chosenFilter = filter ? filter : options.filterIndex;
    return true;
}

bool ScriptedInteraction::openFileDialog(QWidget *, const FileDialogOptions &options, QString *chosen) {
    return fileDialog(false, options, chosen, nullptr);
}

bool ScriptedInteraction::saveFileDialog(QWidget *, const FileDialogOptions &options, QString *chosen,
                                         int *chosenFilter) {
    return fileDialog(true, options, chosen, chosenFilter);
}

bool ScriptedInteraction::shellOpen(const QString &target) {
    opened.push_back(target);
    return true;
}

bool ScriptedInteraction::askPassword(QWidget *, const QString &prompt, const QString &, QString *typed) {
    passwordPrompts << prompt;
    if (passwords_.empty()) return false;
    *typed = passwords_.front();
    passwords_.pop_front();
    return true;
}

bool ScriptedInteraction::askWithText(QWidget *owner, const QString &prompt, const QString &, const QString &title,
                                      QString *typed) {
    offeredTexts << *typed;
    if (!texts_.empty()) {
        *typed = texts_.front();
        texts_.pop_front();
    }
    return messageBox(owner, prompt, mb::YesNo | mb::Question | mb::DefaultButton2, title) == mb::IdYes;
}

}  // namespace tqen::forms
