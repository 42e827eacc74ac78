#include "window/form1.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "convert/convert_base.h"

namespace zif {
namespace {

// An in-memory text field that behaves like a single-line edit: typing replaces the selection.
class FakeField : public Field {
public:
    std::u16string Text() const override { return text; }
    void SetText(std::u16string_view value) override {
        text = value;
        selStart = text.size();
        selLength = 0;
        ++writes;
    }
    void SetSelStart(std::size_t start) override {
        selStart = std::min(start, text.size());
        selLength = 0;
    }
    void SetSelLength(std::size_t length) override {
        selLength = std::min(length, text.size() - selStart);
    }
    void SetPlaceholder(std::u16string_view value) override {
        placeholder = value;
        ++hints;
    }
    void SetHandlers(Handler onGotFocus, Handler onKeyUp) override {
        gotFocus = std::move(onGotFocus);
        keyUp = std::move(onKeyUp);
    }

    void type(char16_t c) {
        text.replace(selStart, selLength, 1, c);
        selStart += 1;
        selLength = 0;
    }
    void backspace() {
        if (selLength != 0) {
            text.erase(selStart, selLength);
        } else if (selStart > 0) {
            text.erase(--selStart, 1);
        }
        selLength = 0;
    }

    std::u16string text;
    std::u16string placeholder;
    std::size_t selStart = 0;
    std::size_t selLength = 0;
    int writes = 0;
    int hints = 0;
    Handler gotFocus;
    Handler keyUp;
};

const std::u16string kHint = u"\u00DCberlauf";

class Form1Test : public ::testing::Test {
protected:
    // Types each character into a field and releases the key, recording the other field.
    std::vector<std::u16string> typeInto(FakeField& field, std::u16string_view keys) {
        std::vector<std::u16string> seen;
        for (char16_t key : keys) {
            field.type(key);
            releaseKeyIn(field);
            seen.push_back(other(field).text);
        }
        return seen;
    }
    static void releaseKeyIn(FakeField& field) { field.keyUp(); }
    FakeField& other(FakeField& field) { return &field == &text1 ? text2 : text1; }

    FakeField text1;
    FakeField text2;
    Form1 form{text1, text2};
};

using Seen = std::vector<std::u16string>;

struct TypingCase {
    const char* name;
    bool intoDecimal;
    std::u16string keys;
    Seen expected;
};

void PrintTo(const TypingCase& c, std::ostream* os) {
    *os << c.name;
}

class Form1Typing : public Form1Test, public ::testing::WithParamInterface<TypingCase> {};

TEST_P(Form1Typing, EachReleaseRewritesTheOtherField) {
    const TypingCase& c = GetParam();
    FakeField& source = c.intoDecimal ? text1 : text2;
    EXPECT_EQ(typeInto(source, c.keys), c.expected);
    EXPECT_EQ(source.text, c.keys) << "the source keeps what was typed";
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, Form1Typing,
    ::testing::Values(TypingCase{"Decimal255", true, u"255", Seen{u"2", u"19", u"FF"}},
                      TypingCase{"LowerCaseHex", false, u"ff", Seen{u"15", u"255"}},
                      TypingCase{"InvalidDecimalDigit", true, u"12a", Seen{u"1", u"C", u""}},
                      TypingCase{"LeadingZeros", true, u"007", Seen{u"0", u"0", u"7"}},
                      TypingCase{"Beyond64Bits", false, u"10000000000000000",
                                 Seen{u"1", u"16", u"256", u"4096", u"65536", u"1048576",
                                      u"16777216", u"268435456", u"4294967296", u"68719476736",
                                      u"1099511627776", u"17592186044416", u"281474976710656",
                                      u"4503599627370496", u"72057594037927936",
                                      u"1152921504606846976", u"18446744073709551616"}}),
    [](const auto& info) { return std::string(info.param.name); });

// Each field's events reach its own handlers, for as long as the form lives.
TEST(Form1Events, ReachTheHandlersOfTheirField) {
    FakeField decimal;
    FakeField hex;
    {
        Form1 form(decimal, hex);
        decimal.type(u'9');
        decimal.keyUp();
        hex.type(u'f');
        hex.keyUp();
        EXPECT_EQ(hex.text, u"9f");
        EXPECT_EQ(decimal.text, u"159");
        hex.gotFocus();
        EXPECT_EQ(hex.selLength, 2u);
        decimal.gotFocus();
        EXPECT_EQ(decimal.selLength, 3u);
    }
    EXPECT_FALSE(decimal.keyUp || decimal.gotFocus || hex.keyUp || hex.gotFocus);
}

TEST_F(Form1Test, BackspaceToEmptyEmptiesTheOtherField) {
    typeInto(text1, u"42");
    ASSERT_EQ(text2.text, u"2A");
    text1.backspace();
    form.Text1_KeyUp();
    EXPECT_EQ(text2.text, u"4");
    text1.backspace();
    form.Text1_KeyUp();
    EXPECT_EQ(text2.text, u"");
}

TEST_F(Form1Test, UnchangedReleaseRewritesTheOtherFieldCanonically) {
    typeInto(text1, u"007");
    typeInto(text2, u"0");  // the user edits the hex field to "70"
    ASSERT_EQ(text1.text, u"112");
    form.Text1_KeyUp();  // e.g. an arrow key released back in the decimal field
    EXPECT_EQ(text2.text, u"70");
    text2.SetText(u"007f");
    form.Text2_KeyUp();
    EXPECT_EQ(text1.text, u"127");
    form.Text1_KeyUp();
    EXPECT_EQ(text2.text, u"7F");
}

// What the other field shows stays the same; writing the same text again would lay it out anew
// and announce a deletion and an insertion to assistive technology.
TEST_F(Form1Test, ReleaseWithoutChangeWritesNothing) {
    typeInto(text1, u"255");
    const int writes = text2.writes;
    form.Text1_KeyUp();
    form.Text1_KeyUp();
    EXPECT_EQ(text2.writes, writes);
    EXPECT_EQ(text2.text, u"FF");

    text1.SetText(std::u16string(kMaxNumeralLength + 1, u'7'));
    form.Text1_KeyUp();
    const int hints = text2.hints;
    form.Text1_KeyUp();
    EXPECT_EQ(text2.hints, hints) << "the hint is shown once";
    EXPECT_EQ(text2.placeholder, kHint);
}

TEST_F(Form1Test, KeyUpNeverChangesItsOwnField) {
    text1.SetText(u"0012");
    form.Text1_KeyUp();
    text2.SetText(u"zz");
    form.Text2_KeyUp();
    EXPECT_EQ(text2.text, u"zz");
    EXPECT_EQ(text1.text, u"");
}

struct FocusCase {
    const char* name;
    std::u16string content;
};

void PrintTo(const FocusCase& c, std::ostream* os) {
    *os << c.name;
}

class Form1Focus : public Form1Test, public ::testing::WithParamInterface<FocusCase> {};

TEST_P(Form1Focus, GotFocusSelectsEverything) {
    const std::u16string& content = GetParam().content;
    text1.SetText(content);
    text2.SetText(content);
    form.Text1_GotFocus();
    form.Text2_GotFocus();
    for (FakeField* field : {&text1, &text2}) {
        EXPECT_EQ(field->selStart, 0u);
        EXPECT_EQ(field->selLength, content.size());
        EXPECT_EQ(field->text, content) << "focus must not change the content";
    }
}

INSTANTIATE_TEST_SUITE_P(Contents, Form1Focus,
                         ::testing::Values(FocusCase{"Thousand", u"1000"}, FocusCase{"Empty", u""},
                                           FocusCase{"Emoji", u"\U0001F600x"},
                                           FocusCase{"Long", std::u16string(40000, u'9')}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Form1Test, TypingAfterFocusReplacesTheContent) {
    typeInto(text1, u"1000");
    form.Text1_GotFocus();
    typeInto(text1, u"9");
    EXPECT_EQ(text1.text, u"9");
    EXPECT_EQ(text2.text, u"9");
}

TEST_F(Form1Test, OverlongNumeralShowsPlaceholderAndKeepsRunning) {
    typeInto(text1, u"12");
    text1.SetText(std::u16string(kMaxNumeralLength + 1, u'7'));
    EXPECT_NO_THROW(form.Text1_KeyUp());
    EXPECT_EQ(text2.text, u"");
    EXPECT_EQ(text2.placeholder, kHint);

    text1.backspace();  // back to 32767 digits: converts again
    form.Text1_KeyUp();
    EXPECT_FALSE(text2.text.empty());
    EXPECT_EQ(text2.placeholder, u"");
    EXPECT_EQ(ConvertBase(text2.text, 16, 10), text1.text);
}

TEST_F(Form1Test, OverflowInHexFieldShowsPlaceholderInDecimalField) {
    text1.SetText(u"123");
    text2.SetText(std::u16string(kMaxNumeralLength + 5, u'F'));
    form.Text2_KeyUp();
    EXPECT_EQ(text1.text, u"");
    EXPECT_EQ(text1.placeholder, kHint);
    form.Text2_KeyUp();  // unchanged input: the same answer
    EXPECT_EQ(text1.placeholder, kHint);
    text2.SetText(u"g");
    form.Text2_KeyUp();
    EXPECT_EQ(text1.placeholder, u"") << "an invalid numeral is no overflow";
}

// The hint says that the other field's numeral is too long; it goes as soon as that is no
// longer so, whichever field is edited.
TEST_F(Form1Test, HintLastsOnlyAsLongAsTheOverflow) {
    for (FakeField* longField : {&text1, &text2}) {
        FakeField& hinted = other(*longField);
        longField->SetText(std::u16string(kMaxNumeralLength + 1, u'9'));
        releaseKeyIn(*longField);
        ASSERT_EQ(hinted.placeholder, kHint);
        typeInto(hinted, u"1");
        EXPECT_EQ(longField->text, u"1");
        EXPECT_EQ(hinted.placeholder, u"") << "typed into";
        hinted.backspace();
        releaseKeyIn(hinted);
        EXPECT_EQ(longField->text, u"");
        EXPECT_EQ(hinted.placeholder, u"") << "erased again";
        EXPECT_EQ(longField->placeholder, u"");
    }
}

struct KeptInputCase {
    const char* name;
    bool intoDecimal;
    std::u16string input;
};

void PrintTo(const KeptInputCase& c, std::ostream* os) {
    *os << c.name;
}

class Form1KeptInput : public Form1Test, public ::testing::WithParamInterface<KeptInputCase> {};

// A field that the program emptied because the other field holds no numeral it converts is the
// program's output: a release in it (the Tab that moved there, a click and an arrow key, Shift or
// Ctrl+C) keeps the input. Typed into, it converts; erased again, both fields end empty.
TEST_P(Form1KeptInput, ReleaseInTheEmptiedFieldKeepsTheInput) {
    const KeptInputCase& c = GetParam();
    FakeField& source = c.intoDecimal ? text1 : text2;
    FakeField& emptied = other(source);
    source.SetText(c.input);
    releaseKeyIn(source);
    ASSERT_EQ(emptied.text, u"");
    releaseKeyIn(emptied);
    releaseKeyIn(emptied);
    EXPECT_TRUE(source.text == c.input) << "the input is gone";
    typeInto(emptied, u"1");
    EXPECT_EQ(source.text, u"1");
    emptied.backspace();
    releaseKeyIn(emptied);
    EXPECT_EQ(source.text, u"");
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, Form1KeptInput,
    ::testing::Values(
        KeptInputCase{"MistypedDecimal", true, u"12x"}, KeptInputCase{"MistypedHex", false, u"fg"},
        KeptInputCase{"SignedDecimal", true, u"-5"},
        KeptInputCase{"OverlongDecimal", true, std::u16string(kMaxNumeralLength + 1, u'9')},
        KeptInputCase{"OverlongHex", false, std::u16string(kMaxNumeralLength + 1, u'F')}),
    [](const auto& info) { return std::string(info.param.name); });

// 27300 hexadecimal digits give a decimal numeral longer than any that converts. A release in
// it (Tab into it, Ctrl+C, an arrow) leaves the input whole; an edit of it is the user's own.
TEST_F(Form1Test, ReleaseInAnOverlongResultKeepsTheInput) {
    const std::u16string input(27300, u'F');
    text2.SetText(input);
    form.Text2_KeyUp();
    ASSERT_GT(text1.text.size(), kMaxNumeralLength);
    form.Text1_KeyUp();
    EXPECT_TRUE(text2.text == input) << "the input is gone";
    EXPECT_EQ(text2.placeholder, u"");
    typeInto(text1, u"1");
    EXPECT_EQ(text2.text, u"");
    EXPECT_EQ(text2.placeholder, kHint);
}

}  // namespace
}  // namespace zif
