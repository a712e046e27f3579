#pragma once
// Base of every wizard page: a borderless child window laid over its host's client area,
// with the three page operations the host calls and the four button requests it posts.

#include <QString>
#include <QWidget>

#include "app/ShellMessages.h"

class TChildForm : public QWidget {
    Q_OBJECT
public:
    // `owner` is the host window (the shell, or the Ethernet page for the XPort page); it
    // becomes the page's parent, and the page's messages go to it.
    explicit TChildForm(QWidget* owner);

    virtual void EnableBack();
    virtual void EnableNext();
    virtual void DisableBack();
    virtual void DisableNext();
    virtual void Back() = 0;
    virtual void Next() = 0;
    virtual void Activate() = 0;

    // The control that takes the focus when the page is shown: the first one the user fills
    // in. Null when there is nothing to fill in; the shell's default button takes it then.
    virtual QWidget* FirstControl() const { return nullptr; }

protected:
    // Posts a message to the host (the page's parent window).
    void Post(ShellMessage message);
    void Post(ShellMessage message, const QString& portName);

    // The white panel that fills the page and holds its content.
    QWidget* ClientPanel() const { return clientPanel_; }

private:
    QWidget* clientPanel_;
};
