#include "tests/support/Walk.h"

#include <QAbstractButton>
#include <QListWidget>
#include <QProcess>
#include <QTest>

#include "tests/support/Sandbox.h"
#include "tests/support/Wizard.h"

bool MakeDemoCd(Sandbox& sandbox, const QString& log) {
    sandbox.setEnv("VORMATIC_DEMO_INSTALL_SECONDS", "0");
    sandbox.setEnv("VORMATIC_DEMO_LOG", log.toUtf8());
    QProcess script;
    script.start(QStringLiteral("bash"),
                 {QStringLiteral(VORMATIC_SOURCE_DIR "/tools/make-demo-cd.sh"), sandbox.cdDir(),
                  QString(), QStringLiteral(VORMATIC_BUILD_DIR "/tools")});
    return script.waitForFinished(30000) && script.exitStatus() == QProcess::NormalExit &&
           script.exitCode() == 0;
}

void ClickNamed(Wizard& wizard, const char* name) {
    auto* widget = wizard.find<QWidget>(name);
    if (!widget) {
        QTest::qFail(qPrintable(QStringLiteral("no widget named ") + QLatin1String(name)), __FILE__,
                     __LINE__);
        return;
    }
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->click();
    } else {
        QTest::mouseClick(widget, Qt::LeftButton);
    }
    Settle();
}

bool ClickPortItem(Wizard& wizard, const QString& text) {
    auto* list = wizard.find<QListWidget>("PortListBox");
    if (!list) {
        return false;
    }
    const QList<QListWidgetItem*> items = list->findItems(text, Qt::MatchExactly);
    if (items.isEmpty()) {
        return false;
    }
    list->scrollToItem(items.first());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(items.first()).center());
    Settle();
    return true;
}

void WalkToPortPage(Wizard& wizard) {
    wizard.next();  // Welcome -> licence
    ClickNamed(wizard, "AcceptRadioButton");
    wizard.next();  // licence -> connection choice
    wizard.next();  // serial is preselected
    wizard.next();  // serial -> COM port page
}
