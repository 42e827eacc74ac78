#pragma once

#include <QLabel>
#include <QRect>
#include <QWidget>

#include "qt/field_edit.h"
#include "qt/line_edit_field.h"
#include "window/form1.h"
#include "window/form1_layout.h"

namespace zif::qt {

// Twips in pixels at the given dots per inch. Each edge is rounded on its own, so that
// neighbouring rectangles stay as far apart as the layout has them.
QRect toPixels(const TwipRect& twips, int dpiX, int dpiY);

// The converter window: "Dez:" and "Hex:" rows, each a label and a field, placed as
// zif::Form1Layout says. All it does itself is lay them out and forward the fields' focus and
// key-release events to zif::Form1.
class Form1Window : public QWidget {
    Q_OBJECT

public:
    // The platform's face at the size the layout was drawn for.
    static constexpr int kFontPointSize = 8;

    explicit Form1Window(QWidget* parent = nullptr);

    QLabel* label1() const { return label1_; }
    QLabel* label2() const { return label2_; }
    FieldEdit* text1() const { return text1_; }
    FieldEdit* text2() const { return text2_; }

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void layOut();
    void followScreen(QScreen* screen);

    QLabel* label1_;
    FieldEdit* text1_;
    QLabel* label2_;
    FieldEdit* text2_;
    LineEditField field1_;
    LineEditField field2_;
    Form1 form_;
    QMetaObject::Connection screenDpi_;
    bool followsScreens_ = false;
};

}  // namespace zif::qt
