#include "varrow/real_mutex.h"

namespace varrow {

std::string real_mutex::compose_name(std::string_view name, unsigned long major_version) {
    const std::size_t backslash = name.rfind('\\');
    if (major_version <= 4) {
        // No object namespaces: only the last path segment is a valid name.
        if (backslash != std::string_view::npos) name.remove_prefix(backslash + 1);
        return std::string(name);
    }
    if (backslash == std::string_view::npos) return "Global\\" + std::string(name);
    return std::string(name);
}

bool real_mutex::lock() { return wait(infinite); }

}  // namespace varrow
