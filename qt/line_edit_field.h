#pragma once

#include "qt/field_edit.h"
#include "window/field.h"

namespace zif::qt {

// Gives the window's handlers a FieldEdit as a zif::Field. QString and std::u16string both hold
// UTF-16 code units, so text and positions pass unchanged, unpaired surrogates included.
class LineEditField : public Field {
public:
    explicit LineEditField(FieldEdit& edit) : edit_(edit) {}

    std::u16string Text() const override;
    void SetText(std::u16string_view text) override;
    void SetSelStart(std::size_t start) override;
    void SetSelLength(std::size_t length) override;
    void SetPlaceholder(std::u16string_view text) override;
    void SetHandlers(Handler gotFocus, Handler keyUp) override;

private:
    FieldEdit& edit_;
};

}  // namespace zif::qt
