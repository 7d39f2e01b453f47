#pragma once
// Network endpoints that hold the platform's raw socket address, so that the
// transport can hand them to the socket calls unchanged.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "varrow/internet/address/errors.h"

namespace varrow::internet::address {

// The base of the address kinds. Addresses are used by value or by
// reference and never deleted through a pointer to base.
class base {
protected:
    base() = default;
    ~base() = default;
    base(const base&) = default;
    base& operator=(const base&) = default;
};

// An IPv4 endpoint: 16 bytes in the sockaddr_in layout (family in host byte
// order, port and address in network byte order, 8 bytes of sin_zero).
class ip4 final : public base {
public:
    static constexpr std::size_t raw_size = 16;

    // Resolves host (a name or a dotted IPv4 address) at once and keeps the
    // first IPv4 result, with port (host byte order) in the port field.
    // Needs the socket library started. Raises host_not_found or
    // service_not_found with "GetAddrInfoA() failed", generic with
    // "GetAddrInfoA() walk failed" when no IPv4 result came back, generic
    // with "GetAddrInfoA() returned status 0x%.8x" for other statuses, and
    // environment::subsystem_not_ready when the library was not started.
    ip4(const std::string& host, std::uint16_t port);
    ip4(const ip4&) = default;
    ip4& operator=(const ip4&) = default;
    // Not virtual: addresses are never deleted through a pointer to base.
    ~ip4() = default;

    // Copies length bytes into the raw address; raises
    // invalid_address_format("Size mismatch") and leaves the address
    // unchanged unless length is 16.
    virtual void assign(const void* bytes, std::size_t length);
    virtual const unsigned char* data() const;
    virtual unsigned char* data();
    virtual std::size_t size() const;
    // The host name by reverse lookup with the caller's getnameinfo flags;
    // the numeric text when the address has no name. Raises host_not_found
    // or generic ("GetNameInfoA() failed" / "... returned status 0x%.8x")
    // and environment::subsystem_not_ready.
    virtual std::string host_name(int flags) const;
    // The port in host byte order.
    virtual std::uint16_t port() const;
    // Equal sizes and equal bytes.
    virtual bool operator==(const ip4& other) const;
    virtual bool operator!=(const ip4& other) const;
    // By size, then the raw bytes as unsigned bytes from the first on: for
    // one family that orders by port, then by address.
    virtual bool operator<(const ip4& other) const;

private:
    std::array<unsigned char, raw_size> raw_{};
};

}  // namespace varrow::internet::address
