#include "qt/line_edit_field.h"

#include <QString>
#include <QStringView>
#include <algorithm>

namespace zif::qt {

namespace {
// QString::fromUtf16 would drop a leading byte order mark; a view copies every unit as it is.
QString toQString(std::u16string_view text) {
    return QStringView(text.data(), static_cast<qsizetype>(text.size())).toString();
}

int clampTo(std::size_t value, int limit) {
    return static_cast<int>(std::min(value, static_cast<std::size_t>(limit)));
}
}  // namespace

std::u16string LineEditField::Text() const {
    return edit_.text().toStdU16String();
}

void LineEditField::SetText(std::u16string_view text) {
    edit_.setText(toQString(text));
}

// Like a selection start in a text box: the caret moves there and nothing stays selected.
void LineEditField::SetSelStart(std::size_t start) {
    edit_.setCursorPosition(clampTo(start, static_cast<int>(edit_.text().size())));
}

// Selects from the selection start onwards, cut at the end of the text.
void LineEditField::SetSelLength(std::size_t length) {
    const int start = edit_.hasSelectedText() ? edit_.selectionStart() : edit_.cursorPosition();
    const int available = static_cast<int>(edit_.text().size()) - start;
    edit_.setSelection(start, clampTo(length, available));
}

// The hint is the field's accessible description too. Qt reads a placeholder into the description
// but tells no one when it changes; setting the description sends assistive technology an event,
// so a screen reader hears the hint come and go rather than keeping a stale one.
void LineEditField::SetPlaceholder(std::u16string_view text) {
    const QString hint = toQString(text);
    edit_.setPlaceholderText(hint);
    if (edit_.accessibleDescription() != hint) edit_.setAccessibleDescription(hint);
}

void LineEditField::SetHandlers(Handler gotFocus, Handler keyUp) {
    edit_.setGotFocusHandler(std::move(gotFocus));
    edit_.setKeyUpHandler(std::move(keyUp));
}

}  // namespace zif::qt
