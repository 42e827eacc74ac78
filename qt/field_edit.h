#pragma once

#include <QLineEdit>
#include <functional>

namespace zif::qt {

// A single-line field that reports every key release and every gain of focus to a handler.
// It has no length limit of its own: an over-long paste must reach the conversion whole rather
// than be cut to a different number. What is inserted ends at its first line break.
class FieldEdit : public QLineEdit {
    Q_OBJECT

public:
    using Handler = std::function<void()>;

    explicit FieldEdit(QWidget* parent = nullptr);

    void setKeyUpHandler(Handler handler) { keyUp_ = std::move(handler); }
    void setGotFocusHandler(Handler handler) { gotFocus_ = std::move(handler); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    static void run(const Handler& handler);
    void dropUndoHistory();

    Handler keyUp_;
    Handler gotFocus_;
    // The focus came with a mouse press that has not been delivered yet.
    bool focusedByClick_ = false;
    // That press is held: the selection made on focus stays until the button is released.
    bool holdSelection_ = false;
    // UTF-16 units inserted or removed by the user since the undo history was last dropped.
    qsizetype edited_ = 0;
    qsizetype lastLength_ = 0;
};

}  // namespace zif::qt
