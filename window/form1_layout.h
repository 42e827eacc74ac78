#pragma once

namespace zif {

// A position and size in twips (1/1440 inch), measured from the top left corner of the
// window's client area.
struct TwipRect {
    int left;
    int top;
    int width;
    int height;
};

inline constexpr int kTwipsPerInch = 1440;

// Form1 as drawn, the same for every toolkit: its caption, client area and two rows, each a
// label and the field it names. Texts are UTF-8.
struct Form1Layout {
    struct Row {
        const char* caption;  // the label's
        TwipRect label;
        TwipRect field;
    };

    static constexpr char kCaption[] = "ZIF-Wandler";
    static constexpr TwipRect kClientArea{0, 0, 2535, 855};
    // Label1 and Text1, the decimal row, above Label2 and Text2, the hexadecimal row. The rows'
    // order is the tab order: Text1, then Text2; the labels take no focus.
    static constexpr Row kRows[] = {
        {"Dez:", {120, 120, 375, 255}, {600, 120, 1815, 285}},
        {"Hex:", {120, 480, 375, 255}, {600, 480, 1815, 285}},
    };
    static constexpr const Row& kDecimalRow = kRows[0];
    static constexpr const Row& kHexRow = kRows[1];
};

// The grey hint of a field while the other field holds a numeral too long to convert.
inline constexpr char16_t kOverflowPlaceholder[] = u"\u00DCberlauf";  // "Überlauf"

}  // namespace zif
