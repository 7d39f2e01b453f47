#pragma once
// The root of every library error of both programs.
//
// An exception carries a description (free text chosen where it is raised)
// and a dotted category path that the constructors along the class chain
// build one segment at a time. what() returns category + "[" + description
// + "]". Errors are thrown by value and caught by reference or by value;
// copies carry all three texts.

#include <exception>
#include <string>
#include <string_view>

namespace varrow {

class exception : public std::exception {
public:
    // Copies the description; the category starts empty.
    explicit exception(std::string description);
    exception(const exception&) = default;
    exception& operator=(const exception&) = delete;
    ~exception() override;

    // Recomposes and returns category + "[" + description + "]". The pointer
    // stays valid until the next what() on this object or its destruction.
    const char* what() const noexcept override;
    virtual const char* description() const noexcept;
    virtual const char* category() const noexcept;

protected:
    // Appends one segment, with a single "." in front unless the category
    // is still empty. Called by each derived constructor exactly once.
    void append_segment(std::string_view segment);

private:
    mutable std::string composed_;
    std::string description_;
    std::string category_;
};

}  // namespace varrow

// Declares an error class: one constructor taking the description, which
// appends the class's segment to the category built by its base.
#define VARROW_ERROR_CLASS(name, base_class, segment)                 \
    class name : public base_class {                                  \
    public:                                                           \
        explicit name(std::string description)                        \
            : base_class(std::move(description)) {                    \
            append_segment(segment);                                  \
        }                                                             \
    }
