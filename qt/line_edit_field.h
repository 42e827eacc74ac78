#pragma once

#include <QLineEdit>

#include "window/field.h"

namespace zif::qt {

// Gives the window's handlers a QLineEdit as a zif::Field. QString and std::u16string both hold
// UTF-16 code units, so text and positions pass unchanged, unpaired surrogates included.
class LineEditField : public Field {
public:
    explicit LineEditField(QLineEdit& edit) : edit_(edit) {}

    std::u16string Text() const override;
    void SetText(std::u16string_view text) override;
    void SetSelStart(std::size_t start) override;
    void SetSelLength(std::size_t length) override;
    void SetPlaceholder(std::u16string_view text) override;

private:
    QLineEdit& edit_;
};

}  // namespace zif::qt
