#include "convert/incremental_conversion.h"

#include "convert/convert_base.h"

namespace zif {

void IncrementalConversion::convert(std::u16string_view text) {
    if (text == source_) return;
    // The source's room first: once the result is replaced, nothing may fail before the source
    // matches it.
    source_.reserve(text.size());
    try {
        // A whole conversion writes into the last result's storage, which is then reused.
        if (!convertEdited(text)) ConvertBase(text, fromBase_, toBase_, result_);
        overflow_ = false;
    } catch (const RuntimeError& error) {
        if (error.number() != kOverflowError) throw;
        result_.clear();
        overflow_ = true;
    }
    source_.assign(text);
}

// AppendDigit and DropLastDigit need the last result to be a numeral, and Text within the limit.
bool IncrementalConversion::convertEdited(std::u16string_view text) {
    if (result_.empty() || text.size() > kMaxNumeralLength) return false;
    const std::u16string_view before = source_;
    if (text.size() == before.size() + 1 && text.starts_with(before))
        result_ = AppendDigit(result_, text.back(), fromBase_, toBase_);
    else if (before.size() == text.size() + 1 && !text.empty() && before.starts_with(text))
        result_ = DropLastDigit(result_, fromBase_, toBase_);
    else
        return false;
    return true;
}

}  // namespace zif
