#include "varrow/exception.h"

#include <utility>

namespace varrow {

exception::exception(std::string description) : description_(std::move(description)) {}

exception::~exception() = default;

const char* exception::what() const noexcept {
    composed_ = category_;
    composed_ += '[';
    composed_ += description_;
    composed_ += ']';
    return composed_.c_str();
}

const char* exception::description() const noexcept { return description_.c_str(); }

const char* exception::category() const noexcept { return category_.c_str(); }

void exception::append_segment(std::string_view segment) {
    if (!category_.empty()) category_ += '.';
    category_ += segment;
}

}  // namespace varrow
