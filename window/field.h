#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace zif {

// What the window's handlers need of a single-line text field. Each front-end adapts its own
// widget to this; positions and lengths count UTF-16 code units.
class Field {
public:
    using Handler = std::function<void()>;

    virtual ~Field() = default;

    virtual std::u16string Text() const = 0;
    virtual void SetText(std::u16string_view text) = 0;
    virtual void SetSelStart(std::size_t start) = 0;
    virtual void SetSelLength(std::size_t length) = 0;
    // Grey hint shown while the field is empty; it is not content and cannot be copied.
    virtual void SetPlaceholder(std::u16string_view text) = 0;
    // What the field runs after its own handling of a focus gain and of a key release; empty
    // handlers run nothing.
    virtual void SetHandlers(Handler gotFocus, Handler keyUp) = 0;
};

}  // namespace zif
