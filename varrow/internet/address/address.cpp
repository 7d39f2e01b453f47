#include "varrow/internet/address/address.h"

#include <algorithm>
#include <cstring>

#include "varrow/internet/address/resolver.h"

namespace varrow::internet::address {

ip4::ip4(const std::string& host, std::uint16_t port) {
    resolver::first_ip4(host, raw_.data());
    // The port goes in after the address bytes, so the field always holds
    // the caller's port. Bytes 2 and 3 are the port in network byte order.
    raw_[2] = static_cast<unsigned char>(port >> 8);
    raw_[3] = static_cast<unsigned char>(port & 0xFF);
}

void ip4::assign(const void* bytes, std::size_t length) {
    if (length != raw_size) throw invalid_address_format("Size mismatch");
    std::memcpy(raw_.data(), bytes, raw_size);
}

const unsigned char* ip4::data() const { return raw_.data(); }

unsigned char* ip4::data() { return raw_.data(); }

std::size_t ip4::size() const { return raw_size; }

std::string ip4::host_name(int flags) const { return resolver::name_of(data(), size(), flags); }

std::uint16_t ip4::port() const {
    const unsigned char* raw = data();
    return static_cast<std::uint16_t>((raw[2] << 8) | raw[3]);
}

bool ip4::operator==(const ip4& other) const {
    return size() == other.size() && std::memcmp(data(), other.data(), size()) == 0;
}

bool ip4::operator!=(const ip4& other) const { return !(*this == other); }

bool ip4::operator<(const ip4& other) const {
    if (size() != other.size()) return size() < other.size();
    return std::lexicographical_compare(data(), data() + size(), other.data(), other.data() + other.size());
}

}  // namespace varrow::internet::address
