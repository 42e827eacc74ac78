#pragma once

#include <string_view>

#include "convert/incremental_conversion.h"
#include "window/field.h"

namespace zif {

// The converter window's behaviour, apart from any toolkit: Text1 holds the decimal numeral,
// Text2 the hexadecimal one. Each key release in a field converts its whole content into the
// other field; a field that gains the focus gets its whole content selected. The fields' events
// reach the handlers from construction until destruction.
class Form1 {
public:
    Form1(Field& text1, Field& text2);
    ~Form1();
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    void Text1_GotFocus();
    void Text2_GotFocus();
    void Text1_KeyUp();
    void Text2_KeyUp();

private:
    // A field, the conversion of its content into the other field, whether the program emptied
    // it because the other field holds no numeral it can convert, and whether it shows the
    // overflow hint: it does while it is empty because the other field's numeral was too long.
    struct Side {
        Field& field;
        IncrementalConversion conversion;
        bool emptiedByProgram = false;
        bool hinted = false;
    };

    static void selectAll(Field& field);
    static void keyUp(Side& source, Side& target);
    static bool showsOnlyOwnOutput(const Side& source, const Side& target,
                                   std::u16string_view text);
    static void showHint(Side& side, bool hinted);

    Side text1_;
    Side text2_;
};

}  // namespace zif
