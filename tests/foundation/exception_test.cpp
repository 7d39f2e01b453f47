#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "varrow/coding/errors.h"
#include "varrow/exception.h"
#include "varrow/internet/address/errors.h"
#include "varrow/internet/environment/errors.h"
#include "varrow/internet/smtp/errors.h"
#include "varrow/internet/transport/tcp/connection_errors.h"
#include "varrow/unicode/errors.h"
#include "varrow/variant.h"

namespace {

// Stand-in for the transport class that encloses the connection errors; the
// real one expands the same macro.
struct tcp_base {
    VARROW_TCP_CONNECTION_ERRORS;
};

namespace ie = varrow::internet::environment;
namespace ia = varrow::internet::address;
namespace it = varrow::internet::transport;
namespace is = varrow::internet::smtp;

struct category_case {
    const char* expected;
    std::function<void()> raise;
};

template <typename E>
std::function<void()> raiser() {
    return [] { throw E("d"); };
}

TEST(ExceptionTree, EveryClassHasItsCategory) {
    const category_case cases[] = {
        {"", raiser<varrow::exception>()},
        {"internet.environment", raiser<ie::generic>()},
        {"internet.environment.subsystem_not_ready", raiser<ie::subsystem_not_ready>()},
        {"internet.environment.subsystem_failed", raiser<ie::subsystem_failed>()},
        {"internet.environment.version_not_supported", raiser<ie::version_not_supported>()},
        {"smtp", raiser<is::generic>()},
        {"smtp.temporary_failure", raiser<is::temporary_failure>()},
        {"smtp.permanent_failure", raiser<is::permanent_failure>()},
        {"smtp.unreliable_delivery", raiser<is::unreliable_delivery>()},
        {"internet.address", raiser<ia::generic>()},
        {"internet.address.invalid_address_format", raiser<ia::invalid_address_format>()},
        {"internet.address.host_not_found", raiser<ia::host_not_found>()},
        {"internet.address.service_not_found", raiser<ia::service_not_found>()},
        {"internet.transport", raiser<it::generic>()},
        {"internet.transport.operation_interrupted", raiser<it::operation_interrupted>()},
        {"internet.transport.not_a_socket", raiser<it::not_a_socket>()},
        {"internet.transport.address_in_use", raiser<it::address_in_use>()},
        {"internet.transport.address_not_valid", raiser<it::address_not_valid>()},
        {"internet.transport.connection_failed", raiser<tcp_base::connection_failed>()},
        {"internet.transport.connection_failed.connection_aborted", raiser<tcp_base::connection_aborted>()},
        {"internet.transport.connection_failed.connection_closed", raiser<tcp_base::connection_closed>()},
        {"internet.transport.connection_failed.connection_refused", raiser<tcp_base::connection_refused>()},
        {"internet.transport.connection_failed.connection_reset", raiser<tcp_base::connection_reset>()},
        {"internet.transport.connection_failed.connection_timed_out", raiser<tcp_base::connection_timed_out>()},
        {"internet.transport.connection_failed.network_unreachable", raiser<tcp_base::network_unreachable>()},
        {"internet.transport.connection_failed.host_unreachable", raiser<tcp_base::host_unreachable>()},
        {"translate", raiser<varrow::coding::translate::generic>()},
        {"translate.invalid_codeword", raiser<varrow::coding::translate::invalid_codeword>()},
        {"variant", raiser<varrow::variant::generic>()},
        {"unicode", raiser<varrow::unicode::generic>()},
        {"unicode.out_of_memory", raiser<varrow::unicode::out_of_memory>()},
        {"unicode.invalid_codepage", raiser<varrow::unicode::invalid_codepage>()},
        {"unicode.unmappable_character", raiser<varrow::unicode::unmappable_character>()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        try {
            c.raise();
            FAIL() << "nothing raised";
        } catch (const varrow::exception& e) {
            EXPECT_STREQ(e.category(), c.expected);
            EXPECT_STREQ(e.description(), "d");
            EXPECT_EQ(std::string(e.what()), std::string(c.expected) + "[d]");
        }
    }
}

TEST(ExceptionTree, WhatOfExamples) {
    EXPECT_STREQ(tcp_base::connection_refused("connect() failed").what(),
                 "internet.transport.connection_failed.connection_refused[connect() failed]");
    EXPECT_STREQ(varrow::unicode::invalid_codepage("").what(), "unicode.invalid_codepage[]");
    EXPECT_STREQ(varrow::exception("OpenMutex returned 0x00000005").what(), "[OpenMutex returned 0x00000005]");
    EXPECT_STREQ(varrow::exception("").what(), "[]");
    EXPECT_STREQ(varrow::variant::generic("as_integer() failed").what(), "variant[as_integer() failed]");
}

TEST(ExceptionTree, WhatTwiceGivesEqualTexts) {
    is::permanent_failure e("550 no such user");
    const std::string first = e.what();
    EXPECT_EQ(first, e.what());
    EXPECT_EQ(first, "smtp.permanent_failure[550 no such user]");
}

TEST(ExceptionTree, CopiesCarryAllTexts) {
    tcp_base::connection_reset original("recv() failed");
    (void)original.what();
    const tcp_base::connection_reset copy(original);
    EXPECT_STREQ(copy.what(), original.what());
    EXPECT_STREQ(copy.description(), "recv() failed");
    EXPECT_STREQ(copy.category(), original.category());

    // Caught by value through a base keeps the derived texts: the copy
    // slices the class but not the category.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wcatch-value"
    try {
        throw tcp_base::connection_timed_out("recv() failed");
    } catch (it::generic caught) {
        EXPECT_STREQ(caught.category(), "internet.transport.connection_failed.connection_timed_out");
        EXPECT_STREQ(caught.what(), "internet.transport.connection_failed.connection_timed_out[recv() failed]");
    }
#pragma GCC diagnostic pop
}

TEST(ExceptionTree, ZeroBytesInDescriptionAreKept) {
    const std::string d("a\0b", 3);
    varrow::exception e(d);
    EXPECT_EQ(std::string(e.description(), 1), "a");  // as a C text it ends at the zero
}

TEST(ExceptionTree, HandlersChooseByClass) {
    auto caught_by_transport = [](const std::function<void()>& f) {
        try {
            f();
        } catch (const it::generic&) {
            return true;
        } catch (...) {
            return false;
        }
        return false;
    };
    EXPECT_TRUE(caught_by_transport(raiser<tcp_base::connection_failed>()));
    EXPECT_TRUE(caught_by_transport(raiser<tcp_base::host_unreachable>()));
    EXPECT_TRUE(caught_by_transport(raiser<it::operation_interrupted>()));
    EXPECT_TRUE(caught_by_transport(raiser<it::not_a_socket>()));
    EXPECT_TRUE(caught_by_transport(raiser<it::address_in_use>()));
    EXPECT_TRUE(caught_by_transport(raiser<it::address_not_valid>()));
    EXPECT_FALSE(caught_by_transport(raiser<ie::subsystem_not_ready>()));
    EXPECT_FALSE(caught_by_transport(raiser<ie::subsystem_failed>()));
    EXPECT_FALSE(caught_by_transport(raiser<ia::host_not_found>()));

    try {
        throw is::temporary_failure("421 busy");
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "smtp.temporary_failure[421 busy]");
    }
}

}  // namespace
