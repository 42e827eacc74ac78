#include "qt/form1_window.h"

#include <algorithm>

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QFont>
#include <QScreen>
#include <QStyle>
#include <QWindow>

namespace zif::qt {

QRect toPixels(const TwipRect& twips, int dpiX, int dpiY) {
    const auto x = [dpiX](int t) { return (t * dpiX + kTwipsPerInch / 2) / kTwipsPerInch; };
    const auto y = [dpiY](int t) { return (t * dpiY + kTwipsPerInch / 2) / kTwipsPerInch; };
    return QRect(QPoint(x(twips.left), y(twips.top)),
                 QPoint(x(twips.left + twips.width) - 1, y(twips.top + twips.height) - 1));
}

namespace {
QLabel* makeLabel(const char* caption, QWidget* parent) {
    return new QLabel(QString::fromUtf8(caption), parent);
}

// Qt gives a top-level QWidget the role of a client area, which AT-SPI calls a filler: tools
// that look for an application's windows by their role would not find this one.
QAccessibleInterface* accessibleWindow(const QString& className, QObject* object) {
    if (className != QLatin1String(Form1Window::staticMetaObject.className())) return nullptr;
    auto* window = static_cast<QWidget*>(object);
    return window->isWindow() ? new QAccessibleWidget(window, QAccessible::Window) : nullptr;
}

// Installed before the window is built, so that no interface of another role is made for it.
QWidget* withWindowRole(QWidget* parent) {
    static const bool installed = (QAccessible::installFactory(accessibleWindow), true);
    static_cast<void>(installed);
    return parent;
}

FieldEdit* makeField(const char* accessibleName, QWidget* parent) {
    auto* field = new FieldEdit(parent);
    field->setAccessibleName(QString::fromUtf8(accessibleName));
    return field;
}
}  // namespace

Form1Window::Form1Window(QWidget* parent)
    : QWidget(withWindowRole(parent)),
      label1_(makeLabel(Form1Layout::kDecimalRow.caption, this)),
      text1_(makeField("Dez", this)),
      label2_(makeLabel(Form1Layout::kHexRow.caption, this)),
      text2_(makeField("Hex", this)),
      field1_(*text1_),
      field2_(*text2_),
      form_(field1_, field2_) {
    setWindowTitle(QString::fromUtf8(Form1Layout::kCaption));
    QFont smaller = font();
    smaller.setPointSize(kFontPointSize);
    setFont(smaller);
    layOut();

    label1_->setBuddy(text1_);
    label2_->setBuddy(text2_);
    setTabOrder(text1_, text2_);

    if (const QScreen* where = screen()) {
        setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(),
                                        where->availableGeometry()));
    }
    text1_->setFocus();
}

// The twips follow the dots per inch that the text is drawn at, the screen's logical DPI, so
// that text and layout grow together whether the platform scales pixels, fonts or both.
void Form1Window::layOut() {
    const int dpiX = logicalDpiX();
    const int dpiY = logicalDpiY();
    const auto place = [dpiX, dpiY](QLabel* label, QWidget* field, const Form1Layout::Row& row) {
        field->setGeometry(toPixels(row.field, dpiX, dpiY));
        QRect caption = toPixels(row.label, dpiX, dpiY);
        // A wider or bolder face than the layout was drawn with may use the gap up to the field.
        const QMargins margins = label->contentsMargins();
        const int needed = label->fontMetrics().horizontalAdvance(label->text()) + margins.left() +
                           margins.right() + 2 * label->margin();
        caption.setWidth(std::clamp(needed, caption.width(), field->x() - caption.x()));
        label->setGeometry(caption);
    };
    place(label1_, text1_, Form1Layout::kDecimalRow);
    place(label2_, text2_, Form1Layout::kHexRow);
    setFixedSize(toPixels(Form1Layout::kClientArea, dpiX, dpiY).size());
}

void Form1Window::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) layOut();
}

void Form1Window::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    QWindow* window = windowHandle();
    if (window == nullptr || followsScreens_) return;
    followsScreens_ = true;
    connect(window, &QWindow::screenChanged, this, &Form1Window::followScreen);
    followScreen(window->screen());
}

void Form1Window::followScreen(QScreen* screen) {
    disconnect(screenDpi_);
    if (screen != nullptr) {
        screenDpi_ =
            connect(screen, &QScreen::logicalDotsPerInchChanged, this, &Form1Window::layOut);
    }
    layOut();
}

}  // namespace zif::qt
