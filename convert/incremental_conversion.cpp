#include "convert/incremental_conversion.h"

#include <utility>

#include "convert/convert_base.h"

namespace zif {

void IncrementalConversion::convert(std::u16string_view text) {
    if (converted_ && text == source_) return;
    std::u16string result;
    bool overflow = false;
    try {
        result = convertEdited(text);
    } catch (const RuntimeError& error) {
        if (error.number() != kOverflowError) throw;
        overflow = true;
    }
    source_.assign(text);
    result_ = std::move(result);
    overflow_ = overflow;
    converted_ = true;
}

// AppendDigit and DropLastDigit need the last result to be a numeral, and Text within the limit.
std::u16string IncrementalConversion::convertEdited(std::u16string_view text) const {
    if (converted_ && !result_.empty() && text.size() <= kMaxNumeralLength) {
        const std::u16string_view before = source_;
        if (text.size() == before.size() + 1 && text.starts_with(before))
            return AppendDigit(result_, text.back(), fromBase_, toBase_);
        if (before.size() == text.size() + 1 && !text.empty() && before.starts_with(text))
            return DropLastDigit(result_, fromBase_, toBase_);
    }
    return ConvertBase(text, fromBase_, toBase_);
}

}  // namespace zif
