#include "window/form1.h"

#include "convert/convert_base.h"
#include "window/form1_layout.h"

namespace zif {

namespace {
constexpr std::uint8_t kDecimal = 10;
constexpr std::uint8_t kHexadecimal = 16;
}  // namespace

void Form1::Text1_GotFocus() {
    selectAll(text1_);
}

void Form1::Text2_GotFocus() {
    selectAll(text2_);
}

void Form1::Text1_KeyUp() {
    convertInto(text1_, kDecimal, text2_, kHexadecimal, decimalToHex_);
}

void Form1::Text2_KeyUp() {
    convertInto(text2_, kHexadecimal, text1_, kDecimal, hexToDecimal_);
}

void Form1::selectAll(Field& field) {
    field.SetSelStart(0);
    field.SetSelLength(field.Text().size());
}

// A digit typed or erased at the end, the usual keystroke, is worked into the last result in
// time linear in the length; anything else is converted whole.
std::u16string Form1::convertEdited(const Conversion& last, std::u16string_view text,
                                    std::uint8_t fromBase, std::uint8_t toBase) {
    if (last.valid && !last.result.empty() && text.size() <= kMaxNumeralLength) {
        const std::u16string_view before = last.source;
        if (text.size() == before.size() + 1 && text.starts_with(before))
            return AppendDigit(last.result, text.back(), fromBase, toBase);
        if (before.size() == text.size() + 1 && !text.empty() && before.starts_with(text))
            return DropLastDigit(last.result, fromBase, toBase);
    }
    return ConvertBase(text, fromBase, toBase);
}

// An over-long numeral is no reason to end the program: the target is emptied and says
// "Überlauf" as a placeholder. Any other error goes on to the top-level report.
void Form1::convertInto(const Field& source, std::uint8_t fromBase, Field& target,
                        std::uint8_t toBase, Conversion& last) {
    std::u16string text = source.Text();
    if (!last.valid || text != last.source) {
        Conversion fresh;
        try {
            fresh.result = convertEdited(last, text, fromBase, toBase);
        } catch (const RuntimeError& error) {
            if (error.number() != kOverflowError) throw;
            fresh.overflow = true;
        }
        fresh.source = std::move(text);
        fresh.valid = true;
        last = std::move(fresh);
    }
    target.SetText(last.result);
    target.SetPlaceholder(last.overflow ? kOverflowPlaceholder : u"");
}

}  // namespace zif
