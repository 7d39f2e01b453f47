#include "reader/language.h"

#include <string_view>

namespace tarnwick::reader {

namespace {

struct language {
    std::string_view code;
    std::string_view identifier;
};

// Searched in this order; the first equal code wins.
constexpr language languages[] = {
    {"BG", "1026"}, {"ZH", "2052"}, {"CS", "1029"}, {"DA", "1030"}, {"NL", "1043"}, {"EN", "1033"},
    {"FI", "1035"}, {"FR", "1036"}, {"DE", "1031"}, {"EL", "1032"}, {"HU", "1038"}, {"IT", "1040"},
    {"JA", "1041"}, {"NO", "1044"}, {"PL", "1045"}, {"PT", "2070"}, {"RU", "1049"}, {"ES", "1034"},
    {"SV", "1053"}, {"TH", "1054"}, {"TR", "1055"}, {"ZH-CN", "1028"}, {"VI", "1066"},
};

constexpr std::string_view default_identifier = "1033";

}  // namespace

std::string language_identifier(const std::string& code) {
    for (const language& entry : languages)
        if (entry.code == code) return std::string(entry.identifier);
    return std::string(default_identifier);
}

std::string with_language_option(const std::string& parameters, const std::optional<std::string>& value) {
    if (!value || value->empty()) return parameters;
    const std::string option = "/L" + language_identifier(*value);
    if (parameters.find("/L") != std::string::npos) return parameters;
    return option + " " + parameters;
}

std::string add_language_option(const std::string& parameters) {
    return with_language_option(parameters, read_language_value());
}

}  // namespace tarnwick::reader
