#pragma once
// The real wizard as the program builds it, shown on the offscreen platform, for page tests.

#include <QPushButton>
#include <QStringList>
#include <memory>

#include "app/TMainForm.h"

class Wizard {
public:
    // Builds and shows the wizard (which shows its first page) and settles the queue.
    explicit Wizard(const QStringList& arguments = {});
    ~Wizard();
    Wizard(const Wizard&) = delete;
    Wizard& operator=(const Wizard&) = delete;

    TMainForm* shell() const { return shell_.get(); }
    int index() const { return shell_->ChildFormIndex(); }
    bool nextEnabled() const { return shell_->NextButton()->isEnabled(); }
    bool backEnabled() const { return shell_->BackButton()->isEnabled(); }

    // Clicks Next or Back and settles the queue.
    void next();
    void back();
    // A child of the current page (or of the shell) by object name.
    template <typename T>
    T* find(const char* name) const {
        return shell_->findChild<T*>(QString::fromLatin1(name));
    }

private:
    std::unique_ptr<TMainForm> shell_;
};
