#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "reader/language.h"

namespace tarnwick::reader {

namespace {

std::string config_folder() {
    // Only an absolute $XDG_CONFIG_HOME counts; otherwise ~/.config.
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/') return config;
    const char* home = std::getenv("HOME");
    if (home && *home) return std::string(home) + "/.config";
    return std::string();
}

}  // namespace

std::optional<std::string> read_language_value() {
    const std::string folder = config_folder();
    if (folder.empty()) return std::nullopt;
    std::FILE* file = std::fopen((folder + "/Tarnwick/Language").c_str(), "rb");
    if (!file) return std::nullopt;
    // Eleven bytes are enough to tell a 9-byte value with its line feed
    // from one that is too long.
    char buffer[12];
    const std::size_t length = std::fread(buffer, 1, 11, file);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) return std::nullopt;
    std::string value(buffer, length);
    if (!value.empty() && value.back() == '\n') value.pop_back();
    if (value.size() >= 10) return std::nullopt;
    return value.substr(0, std::strlen(value.c_str()));
}

}  // namespace tarnwick::reader
