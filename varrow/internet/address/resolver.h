#pragma once
// The platform resolver behind ip4, in a neutral form.
#include <cstddef>
#include <string>

namespace varrow::internet::address::resolver {

// Resolves host and copies the first AF_INET result of 16 bytes into out
// (16 bytes). Raises as the ip4 constructor documents.
void first_ip4(const std::string& host, unsigned char* out);

// Reverse lookup with flags, retried with the numeric flag on failure.
// Raises as ip4::host_name documents.
std::string name_of(const unsigned char* raw, std::size_t size, int flags);

// Raise the resolution and the reverse lookup tables' classes for a status;
// raise_name_error returns for 0.
[[noreturn]] void raise_resolve_error(long status);
void raise_name_error(long code);

}  // namespace varrow::internet::address::resolver
