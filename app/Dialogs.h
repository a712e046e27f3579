#pragma once
// The dialog seam: every modal message box, the file-open dialog and every shell "open"
// go through Dialogs(). The program installs the Qt implementation; tests install a
// recorder that answers from a script, so no test ever blocks on a modal window.

#include <QString>
#include <QUrl>

class QDialog;

enum class MsgIcon { None, Information, Exclamation, Question, Error };
enum class MsgButtons { Ok, YesNo };
enum class MsgAnswer { Ok, Yes, No };

class DialogSeam {
public:
    virtual ~DialogSeam() = default;
    virtual MsgAnswer MessageBox(const QString& title, const QString& text, MsgIcon icon,
                                 MsgButtons buttons) = 0;
    // "" when the user cancels.
    virtual QString OpenFileName(const QString& caption, const QString& directory,
                                 const QString& filter) = 0;
    // Opens a document, web address or mailto: address with the desktop's handler.
    // False when the desktop could not open it.
    virtual bool ShellOpen(const QUrl& target) = 0;
    // Runs a modal dialog of the program (the About box) and returns its result code.
    virtual int ExecDialog(QDialog* dialog) = 0;
};

// The seam in use (the Qt implementation unless a test installed another).
DialogSeam& Dialogs();
// Installs `seam` (not owned; null restores the Qt implementation); returns the previous one.
DialogSeam* SetDialogs(DialogSeam* seam);

// Opens `target` through the seam, except a local file that does not exist: that fails at
// once, since a desktop launcher reports success as soon as it starts and would then show
// nothing at all.
bool ShellOpenChecked(const QUrl& target);

// The application title, used for the standard error box.
inline constexpr const char* kApplicationTitle = "Vormatic Installer";

// "Error" box with the exclamation icon and an OK button.
void ShowErrorMessage(const QString& text);
// The same with the title "Error!" (manual, web address and mail client failures).
void ShowErrorMessageBang(const QString& text);
// Shows the failures of a check that repeats (the COM port inventory, polled every 250 ms)
// in the "Error" box, each one once: the same text again is not shown until the check has
// gone well in between.
class FailureNotice {
public:
    // An empty text means that the check went well.
    void Report(const QString& failure);

private:
    QString shown_;
};

// "Confirm" box with the question icon and Yes/No; true on Yes.
bool ConfirmMessage(const QString& text);
// The toolkit's standard error box: application title, error icon, OK.
void ShowStandardError(const QString& text);
// A plain message box titled with the application title.
void ShowPlainMessage(const QString& text);
