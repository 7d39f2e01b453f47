#pragma once
// The platform's error numbers for the mapping tables, one case each.
#include <functional>
#include <string>
#include <vector>

namespace tw_test {

struct error_code_case {
    std::string name;             // call and code, for the failure message
    std::function<void()> raise;  // raises (or not) for the code
    std::string category;         // "none" when nothing is raised
    std::string description;
};

std::vector<error_code_case> error_code_cases();

}  // namespace tw_test
