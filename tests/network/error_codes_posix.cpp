#include <netdb.h>

#include <cerrno>

#include "error_codes.h"
#include "varrow/internet/address/resolver.h"
#include "varrow/internet/transport/socket_calls.h"
#include "varrow/text.h"

namespace tw_test {

namespace {

using varrow::internet::transport::socket_calls::call;
namespace resolver = varrow::internet::address::resolver;

const std::string connection = "internet.transport.connection_failed";

error_code_case socket_case(call which, const char* call_name, int code, const char* code_name,
                            std::string category, std::string description) {
    return {std::string(call_name) + " " + code_name,
            [=] { varrow::internet::transport::socket_calls::raise_error(which, code); }, std::move(category),
            std::move(description)};
}

std::string status(const char* call_name, int code) {
    return varrow::format_text("%s() returned status 0x%.8x", call_name, static_cast<unsigned>(code));
}

}  // namespace

std::vector<error_code_case> error_code_cases() {
    std::vector<error_code_case> cases = {
        socket_case(call::socket, "socket", ENETDOWN, "ENETDOWN", "internet.environment.subsystem_not_ready", "socket() failed"),
        socket_case(call::socket, "socket", EMFILE, "EMFILE", "internet.transport", status("socket", EMFILE)),
        socket_case(call::closesocket, "closesocket", EBADF, "EBADF", "none", ""),
        socket_case(call::closesocket, "closesocket", ENOTSOCK, "ENOTSOCK", "none", ""),
        socket_case(call::closesocket, "closesocket", EIO, "EIO", "internet.transport", status("closesocket", EIO)),
        socket_case(call::setsockopt, "setsockopt", ENOTSOCK, "ENOTSOCK", "internet.transport.not_a_socket", "setsockopt() failed"),
        socket_case(call::setsockopt, "setsockopt", EBADF, "EBADF", "internet.transport.not_a_socket", "setsockopt() failed"),
        socket_case(call::setsockopt, "setsockopt", EINVAL, "EINVAL", "internet.transport", status("setsockopt", EINVAL)),
        socket_case(call::connect, "connect", EINTR, "EINTR", "internet.transport.operation_interrupted", "connect() failed"),
        socket_case(call::connect, "connect", ENOTSOCK, "ENOTSOCK", "internet.transport.not_a_socket", "connect() failed"),
        socket_case(call::connect, "connect", EADDRINUSE, "EADDRINUSE", "internet.transport.address_in_use", "connect() failed"),
        socket_case(call::connect, "connect", EADDRNOTAVAIL, "EADDRNOTAVAIL", "internet.transport.address_not_valid", "connect() failed"),
        socket_case(call::connect, "connect", ENETDOWN, "ENETDOWN", "internet.environment.subsystem_not_ready", "connect() failed"),
        socket_case(call::connect, "connect", ENETUNREACH, "ENETUNREACH", connection + ".network_unreachable", "connect() failed"),
        socket_case(call::connect, "connect", ETIMEDOUT, "ETIMEDOUT", connection + ".host_unreachable", "connect() failed"),
        socket_case(call::connect, "connect", ECONNREFUSED, "ECONNREFUSED", connection + ".connection_refused", "connect() failed"),
        socket_case(call::connect, "connect", EHOSTUNREACH, "EHOSTUNREACH", connection + ".host_unreachable", "connect() failed"),
        socket_case(call::connect, "connect", EACCES, "EACCES", "internet.transport", status("connect", EACCES)),
    };
    for (const auto& [which, name, text] : {std::tuple{call::recv, "recv", "recv() failed"},
                                            std::tuple{call::send, "send", "send() failed"}}) {
        const std::vector<std::tuple<int, const char*, std::string>> table = {
            {EINTR, "EINTR", "internet.transport.operation_interrupted"},
            {ENOTSOCK, "ENOTSOCK", "internet.transport.not_a_socket"},
            {EBADF, "EBADF", "internet.transport.not_a_socket"},
            {ENETDOWN, "ENETDOWN", "internet.environment.subsystem_not_ready"},
            {ENETRESET, "ENETRESET", connection + ".connection_reset"},
            {ECONNABORTED, "ECONNABORTED", connection + ".connection_aborted"},
            {ECONNRESET, "ECONNRESET", connection + ".connection_reset"},
            {ENOTCONN, "ENOTCONN", connection},
            {EPIPE, "EPIPE", connection + ".connection_closed"},
            {ESHUTDOWN, "ESHUTDOWN", connection + ".connection_closed"},
            {ETIMEDOUT, "ETIMEDOUT", connection + ".connection_timed_out"},
            {EAGAIN, "EAGAIN", connection + ".connection_timed_out"},
            {EWOULDBLOCK, "EWOULDBLOCK", connection + ".connection_timed_out"},
        };
        for (const auto& [code, code_name, category] : table)
            cases.push_back(socket_case(which, name, code, code_name, category, text));
        cases.push_back(socket_case(which, name, ENOBUFS, "ENOBUFS", "internet.transport", status(name, ENOBUFS)));
    }
    const auto resolve = [](long code) { return [code] { resolver::raise_resolve_error(code); }; };
    const auto reverse = [](long code) { return [code] { resolver::raise_name_error(code); }; };
    const std::string not_found = "internet.address.host_not_found";
    cases.push_back({"getaddrinfo EAI_NONAME", resolve(EAI_NONAME), not_found, "GetAddrInfoA() failed"});
    cases.push_back({"getaddrinfo EAI_NODATA", resolve(EAI_NODATA), not_found, "GetAddrInfoA() failed"});
    cases.push_back({"getaddrinfo EAI_ADDRFAMILY", resolve(EAI_ADDRFAMILY), not_found, "GetAddrInfoA() failed"});
    cases.push_back({"getaddrinfo EAI_SERVICE", resolve(EAI_SERVICE), "internet.address.service_not_found",
                     "GetAddrInfoA() failed"});
    cases.push_back({"getaddrinfo EAI_AGAIN", resolve(EAI_AGAIN), "internet.address",
                     varrow::format_text("GetAddrInfoA() returned status 0x%.8x", static_cast<unsigned>(EAI_AGAIN))});
    cases.push_back({"getnameinfo 0", reverse(0), "none", ""});
    cases.push_back({"getnameinfo EAI_NONAME", reverse(EAI_NONAME), not_found, "GetNameInfoA() failed"});
    cases.push_back({"getnameinfo EAI_FAIL", reverse(EAI_FAIL), "internet.address",
                     varrow::format_text("GetNameInfoA() returned status 0x%.8x", static_cast<unsigned>(EAI_FAIL))});
    return cases;
}

}  // namespace tw_test
