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
// gigabytes and minutes, and a long chain of variables each naming the next
// would recurse until the stack (1 MiB for a Windows program) runs out: one
// expansion may resolve at most this many references, nest them this deep
// and produce at most this many bytes at any level. No real executable path
// or parameter text comes near any of them.
constexpr std::size_t max_expansion = 1024 * 1024;
constexpr std::size_t max_references = 10000;
constexpr std::size_t max_depth = 64;

// `active` holds the names whose values are being expanded further up; a
// reference to one of them would never end, so it is left as text.
//
// The result is assembled by appending, text between references and then
// the expanded value, so each level costs time in proportion to what it
// produces; replacing in place would move the rest of a text of up to 1 MiB
// for every one of up to 10000 references.
std::string expand_with(const variable_store& store, const std::string& text,
                        std::vector<const std::string*>& active, std::size_t& resolved) {
    std::string out;
    std::size_t copied = 0;  // text before this is in `out`
    std::size_t from = text.find('%');
    while (from != std::string::npos) {
        const std::size_t first = text.find_first_not_of('%', from);
        if (first == std::string::npos) break;
        const std::size_t close = text.find('%', first);
        if (close == std::string::npos) break;  // an unclosed % is text
        const std::string name = text.substr(first, close - first);
        const std::string* value = store.find_value(name);
        const bool cyclic =
            value && std::any_of(active.begin(), active.end(), [&](const std::string* a) { return *a == name; });
        if (value && !cyclic) {
            if (++resolved > max_references) throw std::length_error("Too many variable references");
            if (active.size() >= max_depth) throw std::length_error("Variable references nested too deeply");
            active.push_back(&name);
            const std::string inserted = expand_with(store, *value, active, resolved);
            active.pop_back();
            // The reference is the % before `first` up to `close`.
            const std::size_t kept = first - 1 - copied;
            if (out.size() + kept + inserted.size() + (text.size() - close - 1) > max_expansion)
                throw std::length_error("Expanded text too long");
            out.append(text, copied, kept);
            out += inserted;
            copied = close + 1;
            // The inserted text is not scanned again.
            from = text.find('%', copied);
        } else {
            // Not a variable: its closing % may open the next reference.
            from = close;
        }
    }
    out.append(text, copied, std::string::npos);
    return out;
}

}  // namespace

std::string variable_store::expand(const std::string& text) const {
    std::vector<const std::string*> active;
    std::size_t resolved = 0;
    return expand_with(*this, text, active, resolved);
}

}  // namespace tarnwick::reader
