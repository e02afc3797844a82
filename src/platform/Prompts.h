#pragma once
// Every message box and question of the program goes through Prompts, so that tests can script
// the answers and read what the user would have been told.

#include <QString>

class QWidget;

namespace korvel {

class Prompts {
public:
    // The answers of the file operation engine's overwrite question.
    enum class Overwrite { Yes, YesToAll, No, Cancel };

    virtual ~Prompts() = default;
    // A question with the buttons Yes and No; true for Yes.
    virtual bool askYesNo(QWidget* parent, const QString& title, const QString& text) = 0;
    // A confirmation with the buttons OK and Cancel; true for OK.
    virtual bool askOkCancel(QWidget* parent, const QString& title, const QString& text) = 0;
    // Overwrite question: yes / yes to all / no / cancel.
    virtual Overwrite askOverwrite(QWidget* parent, const QString& title, const QString& text) = 0;
    virtual void inform(QWidget* parent, const QString& title, const QString& text) = 0;
    virtual void showError(QWidget* parent, const QString& title, const QString& text) = 0;

    // The prompts in use: message boxes unless a test installed others.
    static Prompts& current();
    // Installs p (not owned); nullptr goes back to the message boxes.
    static void install(Prompts* p);
};

} // namespace korvel
