#include "tests/support/DialogRecorder.h"

DialogRecorder::DialogRecorder() : previous_(SetDialogs(this)) {}

DialogRecorder::~DialogRecorder() {
    SetDialogs(previous_);
}

MsgAnswer DialogRecorder::MessageBox(const QString& title, const QString& text, MsgIcon icon,
                                     MsgButtons buttons) {
    boxes.append({title, text, icon, buttons});
    if (buttons == MsgButtons::Ok) {
        return MsgAnswer::Ok;
    }
    return answers.isEmpty() ? MsgAnswer::No : answers.dequeue();
}

QString DialogRecorder::OpenFileName(const QString&, const QString&, const QString&) {
    return fileAnswers.isEmpty() ? QString() : fileAnswers.dequeue();
}

bool DialogRecorder::ShellOpen(const QUrl& target) {
    opened.append(target);
    return shellOpenSucceeds;
}

int DialogRecorder::ExecDialog(QDialog* dialog) {
    execDialogs.append(dialog->objectName());
    return QDialog::Accepted;
}

QStringList DialogRecorder::texts() const {
    QStringList result;
    for (const RecordedBox& box : boxes) {
        result.append(box.text);
    }
    return result;
}

void DialogRecorder::clear() {
    boxes.clear();
    opened.clear();
    execDialogs.clear();
}
