#pragma once
// Transports own one platform socket each and turn the socket calls into
// buffered operations that raise on failure.

#include "varrow/internet/address/address.h"
#include "varrow/internet/transport/errors.h"
#include "varrow/internet/transport/socket_calls.h"

namespace varrow::internet::transport {

class base {
public:
    using socket_handle = socket_calls::handle;
    static constexpr socket_handle invalid_socket = socket_calls::invalid;

    base() = default;
    base(const base&) = delete;
    base& operator=(const base&) = delete;
    // Closes the socket, discarding any failure.
    virtual ~base();

    // Creates the socket for the address's family.
    virtual void open(const address::ip4& address) = 0;

    // Closes the socket if there is one and forgets it whatever the result.
    // Raises environment::subsystem_not_ready / subsystem_failed, or generic
    // with "closesocket() returned status 0x%.8x"; an invalid handle counts
    // as closed. A transport that holds no socket makes no platform call.
    void close();

    socket_handle socket() const { return socket_; }

protected:
    socket_handle socket_ = invalid_socket;
};

}  // namespace varrow::internet::transport
