#include "app/FormKit.h"

#include <QEvent>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

#include <algorithm>
#include <memory>

#include "app/Accessible.h"

QFont FormFont(int pixelSize, bool bold) {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

QFont ArialFont(int pixelSize, bool bold) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

void InstallFontSubstitutes() {
    // The forms are laid out for "MS Sans Serif" and Arial; where they are missing, a
    // metric-compatible family stands in so that no caption is clipped. Substitutes only
    // apply to families the system does not have.
    const QStringList substitutes = {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                                     QStringLiteral("DejaVu Sans")};
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), substitutes);
    QFont::insertSubstitutions(QStringLiteral("Arial"), substitutes);
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int left, int top,
                  const QFont& font) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setFont(font);
    label->move(left, top);
    label->adjustSize();
    return label;
}

QLabel* MakeWrappedLabel(QWidget* parent, const char* name, const QString& text,
                         const QRect& geometry, const QFont& font) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setFont(font);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(geometry);
    return label;
}

QLabel* MakeImage(QWidget* parent, const char* name, const QPixmap& pixmap, const QRect& geometry) {
    auto* image = new QLabel(parent);
    image->setObjectName(QString::fromLatin1(name));
    image->setPixmap(pixmap);
    image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QRect g = geometry;
    if (g.size().isEmpty()) {
        g.setSize(pixmap.size());
    }
    image->setGeometry(g);
    return image;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text,
                        const QRect& geometry, const QFont& font) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setFont(font);
    button->setGeometry(geometry);
    return button;
}

QRadioButton* MakeRadioButton(QWidget* parent, const char* name, const QString& text,
                              const QRect& geometry, const QFont& font) {
    auto* radio = new QRadioButton(text, parent);
    radio->setObjectName(QString::fromLatin1(name));
    radio->setFont(font);
    if (geometry.size().isEmpty()) {
        radio->move(geometry.topLeft());
        radio->adjustSize();
    } else {
        radio->setGeometry(geometry);
    }
    return radio;
}

namespace {
// QRadioButton draws its caption on one line; this one wraps it beside the indicator.
class WrappedRadioButton : public QRadioButton {
public:
    using QRadioButton::QRadioButton;

    int TextLeft() const {
        return style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, this) +
               style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, this);
    }
    QRect TextRect(int width) const {
        return fontMetrics().boundingRect(QRect(TextLeft(), 0, width - TextLeft(), 10000),
                                          Qt::TextWordWrap | Qt::AlignLeft, text());
    }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override {
        return std::max(TextRect(width).height() + 2,
                        style()->pixelMetric(QStyle::PM_ExclusiveIndicatorHeight, nullptr, this));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        const QString caption = option.text;
        option.text.clear();
        option.rect.setHeight(fontMetrics().height() + 2);
        painter.drawControl(QStyle::CE_RadioButton, option);
        const QRect text(TextLeft(), 1, width() - TextLeft(), height() - 1);
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                       QPalette::WindowText));
        painter.drawText(text, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, caption);
        if (hasFocus()) {
            QStyleOptionFocusRect focus;
            focus.initFrom(this);
            focus.rect = TextRect(width()).translated(0, 1).adjusted(-1, 0, 1, 1);
            painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
        }
    }
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};
}  // namespace

QRadioButton* MakeWrappedRadioButton(QWidget* parent, const char* name, const QString& text,
                                     const QRect& geometry, const QFont& font) {
    auto* radio = new WrappedRadioButton(text, parent);
    radio->setObjectName(QString::fromLatin1(name));
    radio->setFont(font);
    radio->setGeometry(geometry.x(), geometry.y(), geometry.width(),
                       radio->heightForWidth(geometry.width()));
    return radio;
}

bool LoadPictureFile(QLabel* image, const QString& path, bool stretch) {
    QImage picture;
    if (path.isEmpty() || !picture.load(path) || picture.isNull()) {
        return false;
    }
    // Bitmaps carry no alpha channel: the colour of the bottom-left pixel is the background,
    // which is drawn transparent (the usual rule for such bitmaps), so a reseller's picture
    // sits on the page without a box around it.
    picture = picture.convertToFormat(QImage::Format_ARGB32);
    const QRgb background = picture.pixel(0, picture.height() - 1);
    for (int y = 0; y < picture.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            if (line[x] == background) {
                line[x] = qRgba(qRed(background), qGreen(background), qBlue(background), 0);
            }
        }
    }
    if (stretch) {
        picture = picture.scaled(image->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    image->setPixmap(QPixmap::fromImage(picture));
    return true;
}

namespace {
class ClickFilter : public QObject {
public:
    ClickFilter(QObject* parent, std::function<void()> onClick)
        : QObject(parent), onClick_(std::move(onClick)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            onClick_();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> onClick_;
};
}  // namespace

void MakeClickable(QWidget* widget, std::function<void()> onClick) {
    MarkClickable(widget);
    widget->setCursor(Qt::PointingHandCursor);
    widget->installEventFilter(new ClickFilter(widget, std::move(onClick)));
}

void OnChosen(QAbstractButton* button, QObject* context, const std::function<void()>& onChosen) {
    // A click that finds the button checked changes nothing, so `toggled` stays silent.
    auto checkedBefore = std::make_shared<bool>(false);
    QObject::connect(button, &QAbstractButton::pressed, context,
                     [button, checkedBefore] { *checkedBefore = button->isChecked(); });
    QObject::connect(button, &QAbstractButton::clicked, context, [checkedBefore, onChosen] {
        if (*checkedBefore) {
            onChosen();
        }
    });
    QObject::connect(button, &QAbstractButton::toggled, context, [onChosen](bool checked) {
        if (checked) {
            onChosen();
        }
    });
}

void StyleAsLink(QLabel* label) {
    QFont font = label->font();
    font.setUnderline(true);
    label->setFont(font);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, Qt::blue);
    label->setPalette(pal);
    label->setCursor(Qt::PointingHandCursor);
}
