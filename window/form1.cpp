#include "window/form1.h"

#include "convert/convert_base.h"
#include "window/form1_layout.h"

namespace zif {

namespace {
constexpr std::uint8_t kDecimal = 10;
constexpr std::uint8_t kHexadecimal = 16;
}  // namespace

Form1::Form1(Field& text1, Field& text2)
    : text1_{text1, IncrementalConversion(kDecimal, kHexadecimal)},
      text2_{text2, IncrementalConversion(kHexadecimal, kDecimal)} {
    text1.SetHandlers([this] { Text1_GotFocus(); }, [this] { Text1_KeyUp(); });
    text2.SetHandlers([this] { Text2_GotFocus(); }, [this] { Text2_KeyUp(); });
}

Form1::~Form1() {
    text1_.field.SetHandlers({}, {});
    text2_.field.SetHandlers({}, {});
}

void Form1::Text1_GotFocus() {
    selectAll(text1_.field);
}

void Form1::Text2_GotFocus() {
    selectAll(text2_.field);
}

void Form1::Text1_KeyUp() {
    keyUp(text1_, text2_);
}

void Form1::Text2_KeyUp() {
    keyUp(text2_, text1_);
}

void Form1::selectAll(Field& field) {
    field.SetSelStart(0);
    field.SetSelLength(field.Text().size());
}

// An over-long numeral is no reason to end the program: the target is emptied and says
// "Überlauf" as a placeholder. Any other error goes on to the top-level report, and the target
// keeps what it held. A target that already holds the result is not written again: each write
// lays the text out anew and tells assistive technology of a deletion and an insertion.
void Form1::keyUp(Side& source, Side& target) {
    const std::u16string text = source.field.Text();
    if (showsOnlyOwnOutput(source, target, text)) return;
    source.conversion.convert(text);
    const std::u16string& result = source.conversion.result();
    if (target.field.Text() != result) target.field.SetText(result);
    target.emptiedByProgram = result.empty();
    source.emptiedByProgram = false;
    showHint(target, source.conversion.overflow());
    showHint(source, false);
}

// Whether the source holds nothing but what the program last wrote into it, in a form whose
// conversion would destroy the other field's input: the emptiness left by a mistyped or
// over-long numeral there, or a result longer than any numeral that converts. Moving into such
// a field (Tab, a click and an arrow key) or copying from it keeps both; editing it is the
// user's own input and converts.
bool Form1::showsOnlyOwnOutput(const Side& source, const Side& target, std::u16string_view text) {
    if (text.empty()) return source.emptiedByProgram;
    return text.size() > kMaxNumeralLength && text == target.conversion.result();
}

void Form1::showHint(Side& side, bool hinted) {
    if (side.hinted == hinted) return;
    side.field.SetPlaceholder(hinted ? kOverflowPlaceholder : u"");
    side.hinted = hinted;
}

}  // namespace zif
