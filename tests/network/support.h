#pragma once
// Helpers shared by the network tests.

#include <cstdint>
#include <functional>
#include <string>

#include "varrow/exception.h"
#include "varrow/internet/address/address.h"
#include "varrow/internet/transport/tcp/tcp.h"

namespace tw_test {

// The category and description of what fn raised, or "none".
struct raised {
    std::string category;
    std::string description;
    bool operator==(const raised&) const = default;
};

inline raised raised_by(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const varrow::exception& error) {
        return {error.category(), error.description()};
    }
    return {"none", ""};
}

inline std::ostream& operator<<(std::ostream& out, const raised& value) {
    return out << value.category << "[" << value.description << "]";
}

// Opens and connects transport to 127.0.0.1:port with a receive time-out.
inline void connect_loopback(varrow::internet::transport::tcp::base& transport, std::uint16_t port,
                             std::uint32_t receive_timeout_ms = 10000) {
    const varrow::internet::address::ip4 server("127.0.0.1", port);
    transport.open(server);
    transport.connect_to(server);
    if (!varrow::internet::transport::socket_calls::set_receive_timeout(transport.socket(), receive_timeout_ms))
        transport.raise_option_error();
}

}  // namespace tw_test
