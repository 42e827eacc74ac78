#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <type_traits>

#include "win32/edit_field.h"
#include "window/form1.h"

namespace zif::win32 {

// The converter window on plain Win32: "Dez:" and "Hex:" rows laid out in twips and converted
// with the window's DPI, not resizable, centred, with the application icon. Keys and focus of
// the two edits go to zif::Form1.
class Form1Window {
public:
    // `closed` runs when the window has been destroyed (the program ends the loop there).
    explicit Form1Window(HINSTANCE instance, std::function<void()> closed = {});
    ~Form1Window();
    Form1Window(const Form1Window&) = delete;
    Form1Window& operator=(const Form1Window&) = delete;

    // Shows and activates the window; the focus goes to Text1.
    void show(int showCommand);

    HWND hwnd() const { return window_.get(); }
    HWND text1() const { return text1_ ? text1_->hwnd() : nullptr; }
    HWND text2() const { return text2_ ? text2_->hwnd() : nullptr; }
    HWND label1() const { return label1_; }
    HWND label2() const { return label2_; }
    UINT dpi() const { return dpi_; }

private:
    // Destroys a window whose object is going: the object is unhooked first, so that no
    // message of the destruction reaches it.
    struct WindowDestroyer {
        void operator()(HWND window) const noexcept;
    };
    struct FontDeleter {
        void operator()(HFONT font) const noexcept;
    };
    using OwnedWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer>;
    using OwnedFont = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam,
                                       LPARAM lParam) noexcept;
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    // Lays the window out at `dpi` with the current message font; `suggested` is where it
    // goes (null: centred on its monitor).
    void layOut(UINT dpi, const RECT* suggested);
    void applyFont(UINT dpi);

    HINSTANCE instance_;
    std::function<void()> closed_;
    // Members go in reverse order: the fields let go of their controls, then the window goes
    // with its controls, then the font they used.
    OwnedFont font_;
    OwnedWindow window_;  // from WM_NCCREATE until WM_NCDESTROY or the destructor
    HWND label1_ = nullptr;
    HWND label2_ = nullptr;
    HWND lastFocus_ = nullptr;
    HICON bigIcon_ = nullptr;
    HICON smallIcon_ = nullptr;
    UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
    std::unique_ptr<EditField> text1_;
    std::unique_ptr<EditField> text2_;
    std::unique_ptr<Form1> form_;
};

}  // namespace zif::win32
