#pragma once

#include <QLabel>
#include <QRect>
#include <QWidget>

#include "qt/field_edit.h"
#include "qt/line_edit_field.h"
#include "window/form1.h"

namespace zif::qt {

// A position and size in twips (1/1440 inch), measured in the window's client area.
struct TwipRect {
    int left;
    int top;
    int width;
    int height;
};

// The layout was drawn at 96 dots per inch, where a pixel is 15 twips. Qt's device-independent
// pixels are of that size, so the layout keeps its proportions at any other resolution.
inline constexpr int kTwipsPerPixel = 15;

QRect toPixels(const TwipRect& twips);

// The converter window: "Dez:" and "Hex:" rows, each a label and a field. All it does itself is
// lay them out and forward the fields' focus and key-release events to zif::Form1.
class Form1Window : public QWidget {
    Q_OBJECT

public:
    static constexpr TwipRect kClientArea{0, 0, 2535, 855};
    static constexpr TwipRect kLabel1{120, 120, 375, 255};
    static constexpr TwipRect kText1{600, 120, 1815, 285};
    static constexpr TwipRect kLabel2{120, 480, 375, 255};
    static constexpr TwipRect kText2{600, 480, 1815, 285};
    // The layout was drawn for this size; larger text would clip the labels' colons.
    static constexpr int kFontPointSize = 8;

    explicit Form1Window(QWidget* parent = nullptr);

    QLabel* label1() const { return label1_; }
    QLabel* label2() const { return label2_; }
    FieldEdit* text1() const { return text1_; }
    FieldEdit* text2() const { return text2_; }

private:
    QLabel* label1_;
    FieldEdit* text1_;
    QLabel* label2_;
    FieldEdit* text2_;
    LineEditField field1_;
    LineEditField field2_;
    Form1 form_;
};

}  // namespace zif::qt
