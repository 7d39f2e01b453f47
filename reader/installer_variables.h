#pragma once
// The installer variables: named text values through which the archive tells
// the installer what to start and how, and the expansion of %name%
// references in them.

#include <map>
#include <string>

namespace tarnwick::reader {

class variable_store {
public:
    // The stored value for reading or assignment; a missing name is first
    // added with an empty value.
    std::string& value_of(const std::string& name);
    // Adds the entry only when the name is not present yet; an existing entry
    // is left unchanged.
    void insert_first(const std::string& name, const std::string& value);
    // Pure look-up: the stored value, or nullptr when the name is absent.
    // Never adds an entry. The pointer stays valid while the entry exists.
    const std::string* find_value(const std::string& name) const;
    // A copy of `text` with every %name% reference to a variable replaced by
    // the variable's value, itself expanded first. Names are matched byte for
    // byte; a reference to an unknown name stays as text, and its closing %
    // may open the next reference; in a run of %s only the last one opens a
    // reference; an unclosed % is ordinary text. A reference to a variable
    // that is already being expanded (a cycle, direct or through others)
    // stays as text, so expansion always ends. Raises std::length_error when
    // a result would exceed 1 MiB, more than 10000 references would be
    // resolved (values that double level by level) or references would nest
    // more than 64 deep (a chain of variables each naming the next), before
    // the time, memory or stack for it are spent. Time is linear in the
    // bytes produced at each level.
    std::string expand(const std::string& text) const;

    const std::map<std::string, std::string>& entries() const { return entries_; }

private:
    std::map<std::string, std::string> entries_;
};

}  // namespace tarnwick::reader
