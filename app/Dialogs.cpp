#include "app/Dialogs.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace {

class QtDialogs : public DialogSeam {
public:
    MsgAnswer MessageBox(const QString& title, const QString& text, MsgIcon icon,
                         MsgButtons buttons) override {
        QMessageBox box(
            ToQtIcon(icon), title, text,
            buttons == MsgButtons::YesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
            QApplication::activeWindow());
        // Message texts carry paths, registry and file texts: never read them as markup.
        box.setTextFormat(Qt::PlainText);
        const int answer = box.exec();
        if (buttons == MsgButtons::Ok) {
            return MsgAnswer::Ok;
        }
        return answer == QMessageBox::Yes ? MsgAnswer::Yes : MsgAnswer::No;
    }

    QString OpenFileName(const QString& caption, const QString& directory,
                         const QString& filter) override {
        return QFileDialog::getOpenFileName(QApplication::activeWindow(), caption, directory,
                                            filter);
    }

    bool ShellOpen(const QUrl& target) override { return QDesktopServices::openUrl(target); }

    int ExecDialog(QDialog* dialog) override { return dialog->exec(); }

private:
    static QMessageBox::Icon ToQtIcon(MsgIcon icon) {
        switch (icon) {
            case MsgIcon::Information:
                return QMessageBox::Information;
            case MsgIcon::Exclamation:
                return QMessageBox::Warning;
            case MsgIcon::Question:
                return QMessageBox::Question;
            case MsgIcon::Error:
                return QMessageBox::Critical;
            case MsgIcon::None:
                break;
        }
        return QMessageBox::NoIcon;
    }
};

QtDialogs qtDialogs;
DialogSeam* current = &qtDialogs;

}  // namespace

DialogSeam& Dialogs() {
    return *current;
}

DialogSeam* SetDialogs(DialogSeam* seam) {
    DialogSeam* previous = current;
    current = seam ? seam : &qtDialogs;
    return previous == &qtDialogs ? nullptr : previous;
}

bool ShellOpenChecked(const QUrl& target) {
    if (target.isLocalFile() && !QFileInfo::exists(target.toLocalFile())) {
        return false;
    }
    return Dialogs().ShellOpen(target);
}

void ShowErrorMessage(const QString& text) {
    Dialogs().MessageBox(QCoreApplication::translate("Dialogs", "Error"), text,
                         MsgIcon::Exclamation, MsgButtons::Ok);
}

void FailureNotice::Report(const QString& failure) {
    if (failure == shown_) {
        return;
    }
    shown_ = failure;
    if (!failure.isEmpty()) {
        ShowErrorMessage(failure);
    }
}

void ShowErrorMessageBang(const QString& text) {
    Dialogs().MessageBox(QCoreApplication::translate("Dialogs", "Error!"), text,
                         MsgIcon::Exclamation, MsgButtons::Ok);
}

bool ConfirmMessage(const QString& text) {
    return Dialogs().MessageBox(QCoreApplication::translate("Dialogs", "Confirm"), text,
                                MsgIcon::Question, MsgButtons::YesNo) == MsgAnswer::Yes;
}

void ShowStandardError(const QString& text) {
    Dialogs().MessageBox(QString::fromLatin1(kApplicationTitle), text, MsgIcon::Error,
                         MsgButtons::Ok);
}

void ShowPlainMessage(const QString& text) {
    Dialogs().MessageBox(QString::fromLatin1(kApplicationTitle), text, MsgIcon::None,
                         MsgButtons::Ok);
}
