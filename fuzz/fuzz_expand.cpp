// expand on any text over any variables, cycles included.
//
// Input: the text to expand on the first line, then one variable per line
// as name=value (split at the first "="; a line without one is a name with
// an empty value).

#include <cstdint>
#include <stdexcept>
#include <string>

#include "fuzz/fuzz_support.h"
#include "reader/installer_variables.h"

using tarnwick::reader::variable_store;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input = tarnwick::fuzz::as_text(data, size);
    const std::string text(tarnwick::fuzz::take_line(input));

    variable_store store;
    while (!input.empty()) {
        const std::string_view line = tarnwick::fuzz::take_line(input);
        const std::size_t equals = line.find('=');
        const std::string name(line.substr(0, equals));
        const std::string value(equals == std::string_view::npos ? std::string_view() : line.substr(equals + 1));
        store.insert_first(name, value);
        TW_FUZZ_CHECK(store.find_value(name) != nullptr);
    }

    const std::size_t entries = store.entries().size();
    // The one documented failure: a result beyond the expansion limit.
    try {
        const std::string expanded = store.expand(text);
        if (text.find('%') == std::string::npos) TW_FUZZ_CHECK(expanded == text);
    } catch (const std::length_error&) {
        TW_FUZZ_CHECK(text.find('%') != std::string::npos);
    }
    TW_FUZZ_CHECK(store.entries().size() == entries);
    // With no variables nothing can be replaced.
    TW_FUZZ_CHECK(variable_store().expand(text) == text);
    // Every value, as the driver expands them.
    for (const auto& entry : store.entries()) {
        try {
            (void)store.expand(entry.second);
        } catch (const std::length_error&) {
        }
    }
    return 0;
}
