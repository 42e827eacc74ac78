#include "convert/incremental_conversion.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "convert/convert_base.h"

namespace zif {
namespace {

// A long numeral pasted, then edited at its end and in its middle, made too long and short
// enough again, and a single digit erased: after every step the result is the whole numeral's
// conversion, whichever way it was reached, and an over-long numeral is the overflow state rather
// than an error.
TEST(IncrementalConversion, EveryEditGivesTheWholeConversion) {
    for (const auto& bases : {std::pair<std::uint8_t, std::uint8_t>{10, 16}, {16, 10}}) {
        const std::uint8_t from = bases.first, to = bases.second;
        IncrementalConversion conversion(from, to);
        std::u16string text = std::u16string(u"8").append(3000, u'9');
        const auto expectWhole = [&](const char* step) {
            SCOPED_TRACE(step);
            ASSERT_NO_THROW(conversion.convert(text));
            const bool tooLong = text.size() > kMaxNumeralLength;
            EXPECT_EQ(conversion.overflow(), tooLong);
            EXPECT_EQ(conversion.result(), tooLong ? u"" : ConvertBase(text, from, to));
        };
        expectWhole("pasted");
        text += u"07";
        expectWhole("typed at the end");
        text.pop_back();
        expectWhole("erased at the end");
        text.insert(text.begin() + 1, u'1');
        expectWhole("typed in the middle");
        text += u'x';
        expectWhole("not a digit");
        text.pop_back();
        expectWhole("the wrong character erased");
        text.assign(kMaxNumeralLength + 1, u'7');
        expectWhole("too long");
        text.pop_back();
        expectWhole("short enough again");
        text += u'7';
        expectWhole("too long after a digit typed");
        text.assign(1, u'5');
        expectWhole("one digit");
        text.clear();
        expectWhole("its only digit erased");
    }
}

}  // namespace
}  // namespace zif
