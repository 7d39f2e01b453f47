#include "varrow/internet/transport/transport.h"

namespace varrow::internet::transport {

base::~base() {
    try {
        close();
    } catch (...) {
        // Nothing useful can follow a failed close in a destructor.
    }
}

void base::close() {
    if (socket_ == invalid_socket) return;
    const socket_handle closing = socket_;
    socket_ = invalid_socket;
    socket_calls::close(closing);
}

}  // namespace varrow::internet::transport
