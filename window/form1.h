#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "window/field.h"

namespace zif {

// The converter window's behaviour, apart from any toolkit: Text1 holds the decimal numeral,
// Text2 the hexadecimal one. Each key release in a field converts its whole content into the
// other field; a field that gains the focus gets its whole content selected.
class Form1 {
public:
    Form1(Field& text1, Field& text2) : text1_(text1), text2_(text2) {}
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    void Text1_GotFocus();
    void Text2_GotFocus();
    void Text1_KeyUp();
    void Text2_KeyUp();

private:
    // The last conversion of one direction. Most key releases (arrows, modifiers, Tab) leave
    // the text as it was, and a 32767-digit numeral is worth converting only once.
    struct Conversion {
        std::u16string source;
        std::u16string result;
        bool overflow = false;
        bool valid = false;
    };

    static void selectAll(Field& field);
    static std::u16string convertEdited(const Conversion& last, std::u16string_view text,
                                        std::uint8_t fromBase, std::uint8_t toBase);
    static void convertInto(const Field& source, std::uint8_t fromBase, Field& target,
                            std::uint8_t toBase, Conversion& last);

    Field& text1_;
    Field& text2_;
    Conversion decimalToHex_;
    Conversion hexToDecimal_;
};

}  // namespace zif
