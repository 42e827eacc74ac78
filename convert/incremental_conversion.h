#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zif {

// Converts the successive contents of one field from one base into another. Most key releases
// (arrows, modifiers, Tab) leave the content as it was, and the usual edit is a digit typed or
// erased at the end: the last source and result are kept, so an unchanged numeral is not
// converted again and such an edit is worked into the last result in time linear in its length.
// Anything else is converted whole with ConvertBase.
class IncrementalConversion {
public:
    IncrementalConversion(std::uint8_t fromBase, std::uint8_t toBase)
        : fromBase_(fromBase), toBase_(toBase) {}

    // Makes Text the source. Afterwards result() is ConvertBase(Text, fromBase, toBase); a Text
    // longer than kMaxNumeralLength is no error here but the overflow state: an empty result
    // and overflow() true. Any other error propagates and leaves the last conversion as it was.
    void convert(std::u16string_view text);

    const std::u16string& result() const { return result_; }
    bool overflow() const { return overflow_; }

private:
    // Works an edit at the end into the last result; false for any other change.
    bool convertEdited(std::u16string_view text);

    std::uint8_t fromBase_;
    std::uint8_t toBase_;
    // Before the first convert(), the empty source and its conversion, the empty result.
    std::u16string source_;
    std::u16string result_;
    bool overflow_ = false;
};

}  // namespace zif
