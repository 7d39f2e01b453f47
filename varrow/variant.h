#pragma once
// A small tagged value; in this system it turns digit texts into numbers.

#include <cstdint>
#include <memory>
#include <string>

#include "varrow/exception.h"

namespace varrow {

class variant {
public:
    VARROW_ERROR_CLASS(generic, varrow::exception, "variant");

    enum class kind : std::int32_t { none = 0, integer = 1, floating = 2, text = 3, wide_text = 4 };

    variant() = default;                      // kind none
    explicit variant(std::int32_t value);     // kind integer
    explicit variant(float value);            // kind floating
    explicit variant(const std::string& value);     // kind text: owns a heap copy
    explicit variant(const std::u16string& value);  // kind wide_text: owns a heap copy
    variant(variant&&) noexcept = default;
    variant& operator=(variant&&) noexcept = default;

    kind type() const noexcept { return static_cast<kind>(tag_); }

    // The value as a signed 32-bit integer. Text is read as base 10: leading
    // white space, an optional sign, digits up to the first other character;
    // no digits gives 0, values beyond the range are clamped. Raises
    // variant::generic("as_integer() failed") for a tag outside 0 to 4.
    std::int32_t as_integer() const;

    // Gives the variant a raw kind tag, valid or not. Only for checking the
    // handling of a damaged tag; nothing in the system calls it.
    static variant with_raw_tag(std::int32_t tag);

private:
    std::int32_t tag_ = 0;
    std::int32_t integer_ = 0;
    float floating_ = 0.0f;
    std::unique_ptr<std::string> text_;
    std::unique_ptr<std::u16string> wide_text_;
};

}  // namespace varrow
