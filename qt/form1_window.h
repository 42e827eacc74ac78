#pragma once

#include <QLabel>
#include <QRect>
#include <QWidget>

#include "qt/field_edit.h"
#include "qt/line_edit_field.h"
#include "window/form1.h"
#include "window/form1_layout.h"

namespace zif::qt {

// The layout was drawn at 96 dots per inch, where a pixel is 15 twips. Qt's device-independent
// pixels are of that size, so the layout keeps its proportions at any other resolution.
inline constexpr int kTwipsPerPixel = kTwipsPerInch / 96;

QRect toPixels(const TwipRect& twips);

// The converter window: "Dez:" and "Hex:" rows, each a label and a field, placed as
// zif::Form1Layout says. All it does itself is lay them out and forward the fields' focus and
// key-release events to zif::Form1.
class Form1Window : public QWidget {
    Q_OBJECT

public:
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
