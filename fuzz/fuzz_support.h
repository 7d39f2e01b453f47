#pragma once
// Helpers shared by the fuzz targets: splitting the input into the fields a
// target needs, and a check that aborts (so the fuzzer keeps the input) when
// a property of the code under test does not hold.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace tarnwick::fuzz {

inline std::string_view as_text(const std::uint8_t* data, std::size_t size) {
    return std::string_view(reinterpret_cast<const char*>(data), size);
}

// Takes the text up to the first '\n' out of `input` (the '\n' goes too);
// all of it when there is none.
inline std::string_view take_line(std::string_view& input) {
    const std::size_t end = input.find('\n');
    const std::string_view line = input.substr(0, end);
    input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
    return line;
}

// Takes the first byte out of `input`; 0 when it is empty.
inline unsigned take_byte(std::string_view& input) {
    if (input.empty()) return 0;
    const unsigned byte = static_cast<unsigned char>(input.front());
    input.remove_prefix(1);
    return byte;
}

[[noreturn]] inline void property_failed(const char* what, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: property does not hold: %s\n", file, line, what);
    std::abort();
}

}  // namespace tarnwick::fuzz

#define TW_FUZZ_CHECK(condition) \
    ((condition) ? (void)0 : ::tarnwick::fuzz::property_failed(#condition, __FILE__, __LINE__))
