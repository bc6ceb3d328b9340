#pragma once
// An interaction for tests: it answers message boxes and file dialogs from a
// script, in order, and records everything that was shown. A message box
// without a scripted answer is answered by its default button, as a person
// pressing Enter would.
#include "platform/forms/Interaction.h"

#include <QStringList>
#include <deque>

namespace tqen::forms {

class ScriptedInteraction : public Interaction {
public:
    struct Shown {
        QString prompt;
        QString title;
        int style = 0;
        int answer = 0;
    };
    struct Dialog {
        bool save = false;
        FileDialogOptions options;
    };

    // Answers to the next message boxes (mb::IdYes …); Enter presses the
    // default button.
    static constexpr int Enter = -1;
    void answer(int id) { answers_.push_back(id); }
    // The next file dialog returns this path; an empty path cancels it. A
    // save dialog reports filter as the one chosen (0: the one it offered).
    void choose(const QString &path, int filter = 0) { files_.push_back({path, filter}); }
    // The next password question gets this text; without one it is cancelled.
    void typePassword(const QString &text) { passwords_.push_back(text); }
    // The next question with a text box gets this text typed (its answer
    // comes from answer(), as a message box's does); without one the text
    // stays as offered.
    void typeText(const QString &text) { texts_.push_back(text); }

    int messageBox(QWidget *owner, const QString &prompt, int style, const QString &title) override;
    bool openFileDialog(QWidget *owner, const FileDialogOptions &options, QString *chosen) override;
    bool saveFileDialog(QWidget *owner, const FileDialogOptions &options, QString *chosen,
                        int *chosenFilter = nullptr) override;
    bool shellOpen(const QString &target) override;
    bool askPassword(QWidget *owner, const QString &prompt, const QString &title, QString *typed) override;
    // Shown like a message box (in `shown`, style Yes/No, question, No the
    // default); the text each offered to start with in `offeredTexts`.
    bool askWithText(QWidget *owner, const QString &prompt, const QString &label, const QString &title,
                     QString *typed) override;

    QList<Shown> shown;        // every message box, in order
    QList<Dialog> dialogs;     // every file dialog, in order
    QStringList opened;        // every target handed to the desktop
    QStringList passwordPrompts;  // every password question, in order
    QStringList offeredTexts;     // every question with a text box: the text it started with
    int unansweredBoxes() const { return int(answers_.size()); }

private:
    bool fileDialog(bool save, const FileDialogOptions &options, QString *chosen, int *chosenFilter);
    std::deque<int> answers_;
    std::deque<std::pair<QString, int>> files_;
    std::deque<QString> passwords_;
    std::deque<QString> texts_;
};

// Installs a scripted interaction for the life of a scope.
class ScopedInteraction {
public:
    explicit ScopedInteraction(Interaction *i) { setInteraction(i); }
    ~ScopedInteraction() { setInteraction(nullptr); }
    ScopedInteraction(const ScopedInteraction &) = delete;
    ScopedInteraction &operator=(const ScopedInteraction &) = delete;
};

}  // namespace tqen::forms
