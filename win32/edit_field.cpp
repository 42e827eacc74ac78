#include "win32/edit_field.h"

#include <commctrl.h>
#include <initguid.h>
#include <oleacc.h>

#include <climits>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>

#include "win32/application.h"
#include "win32/text.h"

namespace zif::win32 {

namespace {
constexpr UINT_PTR kSubclassId = 1;

WPARAM position(std::size_t value) {
    // An edit control counts in int; longer texts cannot exist in it.
    return static_cast<WPARAM>(value > INT_MAX ? INT_MAX : value);
}
}  // namespace

EditField::EditField(HWND edit) : edit_(edit) {
    // A numeral may be as long as the user likes; the conversion decides what is too long.
    SendMessageW(edit_, EM_SETLIMITTEXT, 0, 0);
    if (!SetWindowSubclass(edit_, &EditField::subclassProc, kSubclassId,
                           reinterpret_cast<DWORD_PTR>(this))) {
        throw std::runtime_error("SetWindowSubclass failed");
    }
    // Without it (no COM on this thread) the hint is only drawn.
    void* services = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IAccPropServices, &services))) {
        annotations_ = static_cast<IAccPropServices*>(services);
    }
}

EditField::~EditField() {
    RemoveWindowSubclass(edit_, &EditField::subclassProc, kSubclassId);
    if (annotations_ != nullptr) {
        clearDescription();
        annotations_->Release();
    }
}

// The service keeps an annotation beyond the control's life until it is cleared, which only
// works while the control exists: at its WM_NCDESTROY or with the field, whichever comes first.
bool EditField::clearDescription() noexcept {
    if (!described_) return true;
    described_ = FAILED(annotations_->ClearHwndProps(edit_, static_cast<DWORD>(OBJID_CLIENT),
                                                     CHILDID_SELF, &PROPID_ACC_DESCRIPTION, 1));
    return !described_;
}

std::u16string EditField::Text() const {
    const int length = GetWindowTextLengthW(edit_);
    if (length <= 0) return {};
    std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(edit_, buffer.data(), length + 1);
    buffer.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return fromWide(buffer);
}

void EditField::SetText(std::u16string_view text) {
    const std::wstring wide = toWide(text);
    // The control fails only when it cannot get the memory for the text.
    if (!SetWindowTextW(edit_, wide.c_str())) throw std::bad_alloc();
}

void EditField::SetSelStart(std::size_t start) {
    SendMessageW(edit_, EM_SETSEL, position(start), static_cast<LPARAM>(position(start)));
}

void EditField::SetSelLength(std::size_t length) {
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(edit_, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    SendMessageW(edit_, EM_SETSEL, start, static_cast<LPARAM>(position(start + length)));
}

void EditField::SetPlaceholder(std::u16string_view text) {
    const std::wstring wide = toWide(text);
    // TRUE: the hint stays visible while the field has the focus.
    SendMessageW(edit_, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(wide.c_str()));
    // Not every edit control repaints an empty field whose banner changed (Wine's does not), so
    // the old banner, or none, would stay on the screen.
    InvalidateRect(edit_, nullptr, TRUE);
    if (annotations_ == nullptr) return;
    // A screen reader hears the hint as the field's description. Should the service refuse it
    // (Wine's has no annotations), the field still shows it.
    bool changed = false;
    if (wide.empty()) {
        changed = described_ && clearDescription();
    } else {
        described_ = SUCCEEDED(annotations_->SetHwndPropStr(edit_, static_cast<DWORD>(OBJID_CLIENT),
                                                            CHILDID_SELF, PROPID_ACC_DESCRIPTION,
                                                            wide.c_str()));
        changed = described_;
    }
    if (changed) NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, edit_, OBJID_CLIENT, CHILDID_SELF);
}

LRESULT CALLBACK EditField::subclassProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR, DWORD_PTR self) noexcept {
    if (message == WM_NCDESTROY) {
        auto* field = reinterpret_cast<EditField*>(self);
        if (field->annotations_ != nullptr) field->clearDescription();
        RemoveWindowSubclass(edit, &EditField::subclassProc, kSubclassId);
        return DefSubclassProc(edit, message, wParam, lParam);
    }
    return reinterpret_cast<EditField*>(self)->handle(message, wParam, lParam);
}

void EditField::SetHandlers(Handler gotFocus, Handler keyUp) {
    gotFocus_ = std::move(gotFocus);
    keyUp_ = std::move(keyUp);
}

// The control handles the message first (a focus gain places the caret, a key release ends
// its own work), then the window's handler runs.
LRESULT EditField::afterDefault(UINT message, WPARAM wParam, LPARAM lParam,
                                const Handler& handler) noexcept {
    const LRESULT result = DefSubclassProc(edit_, message, wParam, lParam);
    if (handler) guard(handler, 0);
    return result;
}

LRESULT EditField::handle(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
        case WM_LBUTTONDOWN:
            // A click that brings the focus keeps the whole content selected; the control
            // would otherwise move the caret to the click.
            if (GetFocus() != edit_) {
                SetFocus(edit_);
                return 0;
            }
            break;
        case WM_SETFOCUS:
            return afterDefault(message, wParam, lParam, gotFocus_);
        case WM_KEYUP:
        case WM_SYSKEYUP:
            return afterDefault(message, wParam, lParam, keyUp_);
        default:
            break;
    }
    return DefSubclassProc(edit_, message, wParam, lParam);
}

}  // namespace zif::win32
