#include "qt/form1_window.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFont>
#include <QScreen>
#include <QStyle>

namespace zif::qt {

QRect toPixels(const TwipRect& twips) {
    return QRect(twips.left / kTwipsPerPixel, twips.top / kTwipsPerPixel,
                 twips.width / kTwipsPerPixel, twips.height / kTwipsPerPixel);
}

namespace {
QLabel* makeLabel(const char* caption, const TwipRect& where, QWidget* parent) {
    auto* label = new QLabel(QString::fromUtf8(caption), parent);
    label->setGeometry(toPixels(where));
    return label;
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

FieldEdit* makeField(const char* accessibleName, const TwipRect& where, QWidget* parent) {
    auto* field = new FieldEdit(parent);
    field->setGeometry(toPixels(where));
    field->setAccessibleName(QString::fromUtf8(accessibleName));
    return field;
}
}  // namespace

Form1Window::Form1Window(QWidget* parent)
    : QWidget(withWindowRole(parent)),
      label1_(makeLabel(Form1Layout::kDecimalRow.caption, Form1Layout::kDecimalRow.label, this)),
      text1_(makeField("Dez", Form1Layout::kDecimalRow.field, this)),
      label2_(makeLabel(Form1Layout::kHexRow.caption, Form1Layout::kHexRow.label, this)),
      text2_(makeField("Hex", Form1Layout::kHexRow.field, this)),
      field1_(*text1_),
      field2_(*text2_),
      form_(field1_, field2_) {
    setWindowTitle(QString::fromUtf8(Form1Layout::kCaption));
    QFont smaller = font();
    smaller.setPointSize(kFontPointSize);
    setFont(smaller);

    label1_->setBuddy(text1_);
    label2_->setBuddy(text2_);
    setTabOrder(text1_, text2_);

    text1_->setKeyUpHandler([this] { form_.Text1_KeyUp(); });
    text2_->setKeyUpHandler([this] { form_.Text2_KeyUp(); });
    text1_->setGotFocusHandler([this] { form_.Text1_GotFocus(); });
    text2_->setGotFocusHandler([this] { form_.Text2_GotFocus(); });

    const QSize client = toPixels(Form1Layout::kClientArea).size();
    setFixedSize(client);
    if (const QScreen* where = screen()) {
        setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, client,
                                        where->availableGeometry()));
    }
    text1_->setFocus();
}

}  // namespace zif::qt
