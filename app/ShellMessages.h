#pragma once
// The page protocol: window messages that pages post to their host, as Qt events with
// the messages' own numbers (WM_USER + offset). Handled in posting order after the
// posting handler has returned.

#include <QEvent>
#include <QString>

class QObject;

enum ShellMessage : int {
    WM_SHOW_WELCOME_FORM = 2025,
    WM_SHOW_LICENSE_FORM = 2026,
    WM_SHOW_CONNECT_FORM = 2027,
    WM_SHOW_SERIAL_FORM = 2028,
    WM_SHOW_USB_FORM = 2029,
    WM_SHOW_ETHERNET_FORM = 2030,
    WM_SHOW_PORT_FORM = 2031,
    WM_SHOW_MODEL_FORM = 2032,
    WM_SHOW_PRODUCER_FORM = 2033,
    WM_SHOW_FINISHED_FORM = 2034,
    WM_SELECT_NEXT_FORM_BY_CONNECTION = 2035,
    WM_ENABLE_NEXT = 2036,
    WM_DISABLE_NEXT = 2037,
    WM_ENABLE_BACK = 2038,
    WM_DISABLE_BACK = 2039,
    WM_EXIT_DEFAULT = 2040,
    WM_TELNET_STEP = 2041,  // posted by the XPort page to itself, never to the shell
    WM_CLOSE_WIZARD = 2042,
};

// One posted message. Message 2031 carries its port name by value: `hasPort` is false for
// WPARAM 0 (no hand-over) and true for a name, which may be empty (no new port found).
class ShellEvent : public QEvent {
public:
    explicit ShellEvent(ShellMessage message) : QEvent(static_cast<QEvent::Type>(message)) {}
    ShellEvent(ShellMessage message, const QString& name)
        : QEvent(static_cast<QEvent::Type>(message)), hasPort(true), portName(name) {}

    ShellMessage message() const { return static_cast<ShellMessage>(type()); }

    bool hasPort = false;
    QString portName;
};

inline bool IsShellMessage(const QEvent* e) {
    return e->type() >= static_cast<QEvent::Type>(WM_SHOW_WELCOME_FORM) &&
           e->type() <= static_cast<QEvent::Type>(WM_CLOSE_WIZARD);
}

// PostMessage: queues the message for `target`.
void PostShellMessage(QObject* target, ShellMessage message);
void PostShellMessage(QObject* target, ShellMessage message, const QString& portName);
