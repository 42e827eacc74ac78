#pragma once

#include <windows.h>

#include <functional>

#include "window/field.h"

struct IAccPropServices;

namespace zif::win32 {

// A single-line EDIT control as the window's handlers see it. The control is subclassed so
// that its key releases and focus gains reach the handlers: after the control's own handling,
// and through guard(), so that a failing handler never unwinds through user32. Its hint is
// also its accessible description, where the thread has COM and Windows its annotation service.
class EditField final : public Field {
public:
    explicit EditField(HWND edit);
    ~EditField() override;
    EditField(const EditField&) = delete;
    EditField& operator=(const EditField&) = delete;

    HWND hwnd() const { return edit_; }

    std::u16string Text() const override;
    void SetText(std::u16string_view text) override;
    void SetSelStart(std::size_t start) override;
    void SetSelLength(std::size_t length) override;
    void SetPlaceholder(std::u16string_view text) override;
    void SetHandlers(Handler gotFocus, Handler keyUp) override;

private:
    static LRESULT CALLBACK subclassProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR self) noexcept;
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT afterDefault(UINT message, WPARAM wParam, LPARAM lParam,
                         const Handler& handler) noexcept;
    // Takes the hint back from the annotation service; true once none is left.
    bool clearDescription() noexcept;

    HWND edit_;
    Handler gotFocus_;
    Handler keyUp_;
    IAccPropServices* annotations_ = nullptr;
    bool described_ = false;  // the service holds the hint as the description
};

}  // namespace zif::win32
