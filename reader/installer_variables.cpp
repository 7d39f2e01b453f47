#include "reader/installer_variables.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace tarnwick::reader {

std::string& variable_store::value_of(const std::string& name) { return entries_[name]; }

void variable_store::insert_first(const std::string& name, const std::string& value) {
    entries_.emplace(name, value);
}

const std::string* variable_store::find_value(const std::string& name) const {
    const auto it = entries_.find(name);
    return it == entries_.end() ? nullptr : &it->second;
}

namespace {

// Values that double at each of a few dozen levels would otherwise cost
// gigabytes and minutes: one expansion may resolve at most this many
// references and produce at most this many bytes at any level. No real
// executable path or parameter text comes near either.
constexpr std::size_t max_expansion = 1024 * 1024;
constexpr std::size_t max_references = 10000;

// `active` holds the names whose values are being expanded further up; a
// reference to one of them would never end, so it is left as text.
std::string expand_with(const variable_store& store, const std::string& text,
                        std::vector<const std::string*>& active, std::size_t& resolved) {
    std::string r = text;
    std::size_t from = r.find('%');
    while (from != std::string::npos) {
        const std::size_t first = r.find_first_not_of('%', from);
        if (first == std::string::npos) break;
        const std::size_t close = r.find('%', first);
        if (close == std::string::npos) break;  // an unclosed % is text
        const std::string name = r.substr(first, close - first);
        const std::string* value = store.find_value(name);
        const bool cyclic =
            value && std::any_of(active.begin(), active.end(), [&](const std::string* a) { return *a == name; });
        if (value && !cyclic) {
            if (++resolved > max_references) throw std::length_error("Too many variable references");
            active.push_back(&name);
            const std::string inserted = expand_with(store, *value, active, resolved);
            active.pop_back();
            if (r.size() - (close - first + 2) + inserted.size() > max_expansion)
                throw std::length_error("Expanded text too long");
            r.replace(first - 1, close - first + 2, inserted);
            // The inserted text is not scanned again.
            from = r.find('%', first - 1 + inserted.size());
        } else {
            // Not a variable: its closing % may open the next reference.
            from = close;
        }
    }
    return r;
}

}  // namespace

std::string variable_store::expand(const std::string& text) const {
    std::vector<const std::string*> active;
    std::size_t resolved = 0;
    return expand_with(*this, text, active, resolved);
}

}  // namespace tarnwick::reader
