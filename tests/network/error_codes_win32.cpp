#include "varrow/system/win32.h"

#include <tuple>

#include "error_codes.h"
#include "varrow/internet/address/resolver.h"
#include "varrow/internet/environment/startup_tables.h"
#include "varrow/internet/transport/socket_calls.h"
#include "varrow/text.h"

namespace tw_test {

namespace {

using varrow::internet::transport::socket_calls::call;
namespace resolver = varrow::internet::address::resolver;
namespace environment = varrow::internet::environment;

const std::string connection = "internet.transport.connection_failed";
const std::string not_ready = "internet.environment.subsystem_not_ready";
const std::string failed = "internet.environment.subsystem_failed";

error_code_case socket_case(call which, const char* call_name, long code, const char* code_name,
                            std::string category, std::string description) {
    return {std::string(call_name) + " " + code_name,
            [=] { varrow::internet::transport::socket_calls::raise_error(which, code); }, std::move(category),
            std::move(description)};
}

std::string status(const char* call_name, long code) {
    return varrow::format_text("%s() returned status 0x%.8x", call_name, static_cast<unsigned>(code));
}

}  // namespace

std::vector<error_code_case> error_code_cases() {
    std::vector<error_code_case> cases = {
        socket_case(call::socket, "socket", WSAENETDOWN, "WSAENETDOWN", not_ready, "socket() failed"),
        socket_case(call::socket, "socket", WSANOTINITIALISED, "WSANOTINITIALISED", failed, "socket() failed"),
        socket_case(call::socket, "socket", WSAEMFILE, "WSAEMFILE", "internet.transport", status("socket", WSAEMFILE)),
        socket_case(call::closesocket, "closesocket", WSAENOTSOCK, "WSAENOTSOCK", "none", ""),
        socket_case(call::closesocket, "closesocket", WSAENETDOWN, "WSAENETDOWN", not_ready, "closesocket() failed"),
        socket_case(call::closesocket, "closesocket", WSANOTINITIALISED, "WSANOTINITIALISED", failed, "closesocket() failed"),
        socket_case(call::closesocket, "closesocket", WSAEINTR, "WSAEINTR", "internet.transport", status("closesocket", WSAEINTR)),
        socket_case(call::setsockopt, "setsockopt", WSAENOTSOCK, "WSAENOTSOCK", "internet.transport.not_a_socket", "setsockopt() failed"),
        socket_case(call::setsockopt, "setsockopt", WSAENETDOWN, "WSAENETDOWN", not_ready, "setsockopt() failed"),
        socket_case(call::setsockopt, "setsockopt", WSANOTINITIALISED, "WSANOTINITIALISED", failed, "setsockopt() failed"),
        socket_case(call::setsockopt, "setsockopt", WSAEFAULT, "WSAEFAULT", "internet.transport", status("setsockopt", WSAEFAULT)),
        socket_case(call::connect, "connect", WSAEINTR, "WSAEINTR", "internet.transport.operation_interrupted", "connect() failed"),
        socket_case(call::connect, "connect", WSAENOTSOCK, "WSAENOTSOCK", "internet.transport.not_a_socket", "connect() failed"),
        socket_case(call::connect, "connect", WSAEADDRINUSE, "WSAEADDRINUSE", "internet.transport.address_in_use", "connect() failed"),
        socket_case(call::connect, "connect", WSAEADDRNOTAVAIL, "WSAEADDRNOTAVAIL", "internet.transport.address_not_valid", "connect() failed"),
        socket_case(call::connect, "connect", WSAENETDOWN, "WSAENETDOWN", not_ready, "connect() failed"),
        socket_case(call::connect, "connect", WSAENETUNREACH, "WSAENETUNREACH", connection + ".network_unreachable", "connect() failed"),
        socket_case(call::connect, "connect", WSAETIMEDOUT, "WSAETIMEDOUT", connection + ".host_unreachable", "connect() failed"),
        socket_case(call::connect, "connect", WSAECONNREFUSED, "WSAECONNREFUSED", connection + ".connection_refused", "connect() failed"),
        socket_case(call::connect, "connect", WSAEHOSTUNREACH, "WSAEHOSTUNREACH", connection + ".host_unreachable", "connect() failed"),
        socket_case(call::connect, "connect", WSANOTINITIALISED, "WSANOTINITIALISED", failed, "connect() failed"),
        socket_case(call::connect, "connect", WSAEACCES, "WSAEACCES", "internet.transport", status("connect", WSAEACCES)),
    };
    for (const auto& [which, name, text] : {std::tuple{call::recv, "recv", "recv() failed"},
                                            std::tuple{call::send, "send", "send() failed"}}) {
        const std::vector<std::tuple<long, const char*, std::string>> table = {
            {WSAEINTR, "WSAEINTR", "internet.transport.operation_interrupted"},
            {WSAENOTSOCK, "WSAENOTSOCK", "internet.transport.not_a_socket"},
            {WSAENETDOWN, "WSAENETDOWN", not_ready},
            {WSAENETRESET, "WSAENETRESET", connection + ".connection_reset"},
            {WSAECONNABORTED, "WSAECONNABORTED", connection + ".connection_aborted"},
            {WSAECONNRESET, "WSAECONNRESET", connection + ".connection_reset"},
            {WSAENOTCONN, "WSAENOTCONN", connection},
            {WSAESHUTDOWN, "WSAESHUTDOWN", connection + ".connection_closed"},
            {WSAETIMEDOUT, "WSAETIMEDOUT", connection + ".connection_timed_out"},
            {WSANOTINITIALISED, "WSANOTINITIALISED", failed},
        };
        for (const auto& [code, code_name, category] : table)
            cases.push_back(socket_case(which, name, code, code_name, category, text));
        cases.push_back(socket_case(which, name, WSAENOBUFS, "WSAENOBUFS", "internet.transport", status(name, WSAENOBUFS)));
    }
    const auto resolve = [](long code) { return [code] { resolver::raise_resolve_error(code); }; };
    const auto reverse = [](long code) { return [code] { resolver::raise_name_error(code); }; };
    const std::string not_found = "internet.address.host_not_found";
    cases.push_back({"getaddrinfo WSANOTINITIALISED", resolve(WSANOTINITIALISED), not_ready, "GetAddrInfoA() failed"});
    cases.push_back({"getaddrinfo WSATYPE_NOT_FOUND", resolve(WSATYPE_NOT_FOUND), "internet.address.service_not_found",
                     "GetAddrInfoA() failed"});
    cases.push_back({"getaddrinfo WSAHOST_NOT_FOUND", resolve(WSAHOST_NOT_FOUND), not_found, "GetAddrInfoA() failed"});
    cases.push_back({"getaddrinfo WSANO_DATA", resolve(WSANO_DATA), not_found, "GetAddrInfoA() failed"});
    cases.push_back({"getaddrinfo WSATRY_AGAIN", resolve(WSATRY_AGAIN), "internet.address",
                     "GetAddrInfoA() returned status 0x00002afa"});
    cases.push_back({"getnameinfo 0", reverse(0), "none", ""});
    cases.push_back({"getnameinfo WSANOTINITIALISED", reverse(WSANOTINITIALISED), not_ready, "GetNameInfoA() failed"});
    cases.push_back({"getnameinfo WSAHOST_NOT_FOUND", reverse(WSAHOST_NOT_FOUND), not_found, "GetNameInfoA() failed"});
    cases.push_back({"getnameinfo WSANO_DATA", reverse(WSANO_DATA), not_found, "GetNameInfoA() failed"});
    cases.push_back({"getnameinfo WSAEFAULT", reverse(WSAEFAULT), "internet.address",
                     "GetNameInfoA() returned status 0x0000271e"});
    const auto startup = [](long code) { return [code] { environment::raise_startup_error(code); }; };
    const auto shutdown = [](long code) { return [code] { environment::raise_shutdown_error(code); }; };
    cases.push_back({"WSAStartup WSASYSNOTREADY", startup(WSASYSNOTREADY), not_ready, "WSAStartup() failed"});
    cases.push_back({"WSAStartup WSAVERNOTSUPPORTED", startup(WSAVERNOTSUPPORTED),
                     "internet.environment.version_not_supported", "WSAStartup() failed"});
    cases.push_back({"WSAStartup WSAEPROCLIM", startup(WSAEPROCLIM), "internet.environment",
                     "WSAStartup() returned status 0x00002753"});
    cases.push_back({"WSACleanup WSAENETDOWN", shutdown(WSAENETDOWN), failed, "WSACleanup() failed"});
    cases.push_back({"WSACleanup WSANOTINITIALISED", shutdown(WSANOTINITIALISED), "none", ""});
    cases.push_back({"WSACleanup WSAEINPROGRESS", shutdown(WSAEINPROGRESS), "internet.environment",
                     "WSACleanup() returned status 0x00002734"});
    return cases;
}

}  // namespace tw_test
