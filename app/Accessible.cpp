#include "app/Accessible.h"

#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QLabel>
#include <QMouseEvent>

namespace {

// Set by MakeClickable on the widgets that act on a left click.
constexpr char kClickableProperty[] = "vormaticClickable";

// A picture or label that acts on a click: a button when it is a picture, a link when it
// shows text; its press action is the click it reacts to.
class ClickableInterface : public QAccessibleWidget {
public:
    explicit ClickableInterface(QLabel* label)
        : QAccessibleWidget(label,
                            label->text().isEmpty() ? QAccessible::Button : QAccessible::Link) {}

    QString text(QAccessible::Text t) const override {
        QString text = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && text.isEmpty()) {
            text = static_cast<QLabel*>(widget())->text();
        }
        return text;
    }
    QStringList actionNames() const override {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action != pressAction()) {
            QAccessibleWidget::doAction(action);
            return;
        }
        const QPointF centre = QRectF(widget()->rect()).center();
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent click(type, centre, widget()->mapToGlobal(centre), Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                              Qt::NoModifier);
            QCoreApplication::sendEvent(widget(), &click);
        }
    }
};

QAccessibleInterface* ClickableFactory(const QString& /*className*/, QObject* object) {
    auto* label = qobject_cast<QLabel*>(object);
    if (label == nullptr || !label->property(kClickableProperty).toBool()) {
        return nullptr;
    }
    return new ClickableInterface(label);
}

}  // namespace

void InstallAccessibleFactory() {
    static const bool installed = [] {
        QAccessible::installFactory(&ClickableFactory);
        return true;
    }();
    (void)installed;
}

void MarkClickable(QWidget* widget) {
    InstallAccessibleFactory();
    widget->setProperty(kClickableProperty, true);
}

void NamePicture(QLabel* picture, const QString& text) {
    picture->setAccessibleName(text);
}

void LinkLabel(QLabel* label, QWidget* control) {
    label->setBuddy(control);
    QString name = label->text().trimmed();
    if (name.endsWith(QLatin1Char(':'))) {
        name.chop(1);
    }
    control->setAccessibleName(name.trimmed());
}
