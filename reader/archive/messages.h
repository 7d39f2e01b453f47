#pragma once
// Texts of the installer that more than one part shows.

#include <string>

namespace tarnwick::reader {

inline constexpr const char invalid_archive_caption[] = "Invalid Archive!";

// The invalid-archive message, ending with the product's web-site address.
std::string invalid_archive_text();

}  // namespace tarnwick::reader
