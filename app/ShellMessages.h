#pragma once
// The page protocol: window messages that pages post to their host, as Qt events with
// the messages' own numbers (WM_USER + offset). Handled in posting order after the
// posting handler has returned.

#include <QEvent>
#include <QString>
#include <array>

#include "app/PageSlots.h"

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

// The messages the shell handles, first to last.
inline constexpr ShellMessage kFirstShellMessage = WM_SHOW_WELCOME_FORM;
inline constexpr ShellMessage kLastShellMessage = WM_CLOSE_WIZARD;

// The message that shows each slot's page, one row per slot in slot order (slot N is shown by
// message 2025 + N). The shell shows pages by this table alone.
inline constexpr std::array<ShellMessage, kPageSlotCount> kShowPageMessages = {
    WM_SHOW_WELCOME_FORM,  WM_SHOW_LICENSE_FORM,  WM_SHOW_CONNECT_FORM, WM_SHOW_SERIAL_FORM,
    WM_SHOW_USB_FORM,      WM_SHOW_ETHERNET_FORM, WM_SHOW_PORT_FORM,    WM_SHOW_MODEL_FORM,
    WM_SHOW_PRODUCER_FORM, WM_SHOW_FINISHED_FORM,
};

// The slot whose page `message` shows; -1 for a message that shows no page.
constexpr int SlotShownBy(ShellMessage message) {
    for (int slot = 0; slot < kPageSlotCount; ++slot) {
        if (kShowPageMessages[static_cast<std::size_t>(slot)] == message) {
            return slot;
        }
    }
    return -1;
}

// Each row's message is a shell message and shows no other slot.
constexpr bool ShowPageMessagesAreSound() {
    for (int slot = 0; slot < kPageSlotCount; ++slot) {
        const ShellMessage message = kShowPageMessages[static_cast<std::size_t>(slot)];
        if (message < kFirstShellMessage || message > kLastShellMessage ||
            SlotShownBy(message) != slot) {
            return false;
        }
    }
    return true;
}
static_assert(ShowPageMessagesAreSound(), "a page slot lacks a show message of its own");

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
    return e->type() >= static_cast<QEvent::Type>(kFirstShellMessage) &&
           e->type() <= static_cast<QEvent::Type>(kLastShellMessage);
}

// PostMessage: queues the message for `target`.
void PostShellMessage(QObject* target, ShellMessage message);
void PostShellMessage(QObject* target, ShellMessage message, const QString& portName);
