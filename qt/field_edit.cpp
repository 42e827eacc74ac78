#include "qt/field_edit.h"

#include <QFocusEvent>
#include <QFont>
#include <QKeyEvent>
#include <QMouseEvent>
#include <exception>
#include <limits>

#include "qt/application.h"

namespace zif::qt {

FieldEdit::FieldEdit(QWidget* parent) : QLineEdit(parent) {
    setMaxLength(std::numeric_limits<int>::max());
    QFont plain;
    plain.setStyleStrategy(QFont::PreferNoShaping);
    setFont(plain);
}

// Qt's widget code is built without exception support, so nothing may unwind through it:
// an error from a handler goes to the top-level report from here.
void FieldEdit::run(const Handler& handler) {
    if (!handler) return;
    try {
        handler();
    } catch (...) {
        reportUncaught(std::current_exception());
    }
}

void FieldEdit::keyPressEvent(QKeyEvent* event) {
    focusedByClick_ = false;
    QLineEdit::keyPressEvent(event);
}

void FieldEdit::keyReleaseEvent(QKeyEvent* event) {
    QLineEdit::keyReleaseEvent(event);
    event->accept();
    run(keyUp_);
}

void FieldEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    // Closing the field's own context menu hands the focus back; it never really left.
    if (event->reason() == Qt::PopupFocusReason) return;
    focusedByClick_ = event->reason() == Qt::MouseFocusReason;
    run(gotFocus_);
}

void FieldEdit::focusOutEvent(QFocusEvent* event) {
    focusedByClick_ = false;
    holdSelection_ = false;
    QLineEdit::focusOutEvent(event);
}

// QLineEdit would move the caret to the click and so undo the selection made on focus.
void FieldEdit::mousePressEvent(QMouseEvent* event) {
    const bool keep = focusedByClick_ && event->button() == Qt::LeftButton;
    focusedByClick_ = false;
    if (keep) {
        holdSelection_ = true;
        event->accept();
        return;
    }
    QLineEdit::mousePressEvent(event);
}

void FieldEdit::mouseMoveEvent(QMouseEvent* event) {
    if (holdSelection_) {
        event->accept();
        return;
    }
    QLineEdit::mouseMoveEvent(event);
}

void FieldEdit::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) holdSelection_ = false;
    QLineEdit::mouseReleaseEvent(event);
}

}  // namespace zif::qt
