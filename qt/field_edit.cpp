#include "qt/field_edit.h"

#include <QFocusEvent>
#include <QFont>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStringView>
#include <QValidator>
#include <algorithm>
#include <cstdlib>
#include <exception>
#include <limits>

#include "qt/application.h"

namespace zif::qt {

namespace {
// QLineEdit keeps an undo step of about 16 bytes per character typed, pasted or deleted, for as
// long as the field lives: a pasted megabyte, cleared again, holds 32 MB. Past this many edited
// characters the history goes, so that repeated big pastes cannot grow the program without end.
constexpr qsizetype kUndoHistoryLimit = 65536;

qsizetype firstLineBreak(const QString& text) {
    const qsizetype newline = text.indexOf(QLatin1Char('\n'));
    const qsizetype end = newline < 0 ? text.size() : newline;
    const qsizetype carriageReturn = QStringView(text).first(end).indexOf(QLatin1Char('\r'));
    return carriageReturn >= 0 ? carriageReturn : newline;
}

// A single line shows a line break as a blank, so the field holds none: text inserted in any way
// (typed, pasted, dropped) ends at its first line break, as in the Windows edit control. The
// field held no line break before, and the caret stands at the end of what was inserted.
// Cutting clears Qt's undo history, as setting the text does.
class FirstLineOnly : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString& input, int& position) const override {
        const qsizetype lineBreak = firstLineBreak(input);
        if (lineBreak < 0) return Acceptable;
        if (lineBreak < position) {
            input.remove(lineBreak, position - lineBreak);
            position = static_cast<int>(lineBreak);
        } else {
            input.truncate(lineBreak);
        }
        return Acceptable;
    }
};
}  // namespace

FieldEdit::FieldEdit(QWidget* parent) : QLineEdit(parent) {
    setMaxLength(std::numeric_limits<int>::max());
    setValidator(new FirstLineOnly(this));
    QFont plain;
    plain.setStyleStrategy(QFont::PreferNoShaping);
    setFont(plain);
    connect(this, &QLineEdit::textEdited, this, [this](const QString& text) {
        edited_ += std::max<qsizetype>(1, std::abs(text.size() - lastLength_));
        lastLength_ = text.size();
    });
    connect(this, &QLineEdit::textChanged, this,
            [this](const QString& text) { lastLength_ = text.size(); });
}

// Setting the text clears the history; caret and selection are put back as they were.
void FieldEdit::dropUndoHistory() {
    edited_ = 0;
    const int caret = cursorPosition();
    const int start = selectionStart();
    const int length = int(selectedText().size());
    setText(text());
    if (start < 0) {
        setCursorPosition(caret);
    } else if (caret == start) {
        setSelection(start + length, -length);
    } else {
        setSelection(start, length);
    }
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
    if (edited_ > kUndoHistoryLimit) dropUndoHistory();
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
