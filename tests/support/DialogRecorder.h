#pragma once
// The dialog seam for tests: records every message box, file dialog, shell "open" and modal
// dialog, and answers from a script instead of showing anything.

#include <QDialog>
#include <QList>
#include <QQueue>
#include <QStringList>
#include <QUrl>

#include "app/Dialogs.h"

struct RecordedBox {
    QString title;
    QString text;
    MsgIcon icon;
    MsgButtons buttons;
};

class DialogRecorder : public DialogSeam {
public:
    // Installs itself as the dialog seam; the destructor puts the previous seam back.
    DialogRecorder();
    ~DialogRecorder() override;
    DialogRecorder(const DialogRecorder&) = delete;
    DialogRecorder& operator=(const DialogRecorder&) = delete;

    MsgAnswer MessageBox(const QString& title, const QString& text, MsgIcon icon,
                         MsgButtons buttons) override;
    QString OpenFileName(const QString& caption, const QString& directory,
                         const QString& filter) override;
    bool ShellOpen(const QUrl& target) override;
    int ExecDialog(QDialog* dialog) override;

    // Answers for the next Yes/No boxes, in order; when none is queued the answer is No.
    QQueue<MsgAnswer> answers;
    // Answers for the next file dialogs; "" (cancel) when none is queued.
    QQueue<QString> fileAnswers;
    // What ShellOpen reports.
    bool shellOpenSucceeds = true;

    QList<RecordedBox> boxes;
    QList<QUrl> opened;
    QStringList execDialogs;  // object names of the modal dialogs run

    // The texts of the recorded boxes, for compact assertions.
    QStringList texts() const;
    void clear();

private:
    DialogSeam* previous_;
};
