#include <gtest/gtest.h>

#include <cstring>

#include "support.h"
#include "varrow/internet/address/address.h"
#include "varrow/internet/environment/environment.h"

namespace {

using tw_test::raised;
using tw_test::raised_by;
using varrow::internet::address::ip4;

std::vector<unsigned> bytes_of(const ip4& address) {
    return {address.data(), address.data() + address.size()};
}

TEST(address, dotted_text_and_port_fill_the_raw_address) {
    varrow::internet::environment::environment environment;
    const ip4 address("192.0.2.57", 25);
    ASSERT_EQ(address.size(), 16u);
    std::uint16_t family = 0;
    std::memcpy(&family, address.data(), sizeof family);
    EXPECT_EQ(family, 2);  // AF_INET, in host byte order
    EXPECT_EQ(address.port(), 25);
    const std::vector<unsigned> raw = bytes_of(address);
    EXPECT_EQ(std::vector<unsigned>(raw.begin() + 2, raw.begin() + 8), (std::vector<unsigned>{0x00, 0x19, 192, 0, 2, 57}));
    EXPECT_EQ(std::vector<unsigned>(raw.begin() + 8, raw.end()), std::vector<unsigned>(8, 0));
    EXPECT_EQ(ip4("10.0.0.1", 0xABCD).port(), 0xABCD);
}

TEST(address, a_name_resolves_to_its_ipv4_address) {
    varrow::internet::environment::environment environment;
    EXPECT_EQ(ip4("localhost", 25), ip4("127.0.0.1", 25));
}

TEST(address, assign_takes_exactly_sixteen_bytes) {
    varrow::internet::environment::environment environment;
    ip4 address("192.0.2.1", 25);
    const ip4 original = address;
    const unsigned char eight[8] = {2, 0, 0, 25, 10, 0, 0, 1};
    EXPECT_EQ(raised_by([&] { address.assign(eight, sizeof eight); }),
              (raised{"internet.address.invalid_address_format", "Size mismatch"}));
    EXPECT_EQ(address, original);
    const ip4 other("198.51.100.9", 587);
    address.assign(other.data(), other.size());
    EXPECT_EQ(address, other);
    EXPECT_EQ(address.port(), 587);
}

TEST(address, equality_and_order_go_by_port_then_address) {
    varrow::internet::environment::environment environment;
    const ip4 a25("10.0.0.1", 25);
    EXPECT_TRUE(a25 == ip4("10.0.0.1", 25));
    EXPECT_FALSE(a25 != ip4("10.0.0.1", 25));
    EXPECT_FALSE(a25 < ip4("10.0.0.1", 25));
    EXPECT_TRUE(a25 != ip4("10.0.0.2", 25));
    EXPECT_TRUE(a25 < ip4("10.0.0.1", 587));
    EXPECT_FALSE(ip4("10.0.0.1", 587) < a25);
    EXPECT_TRUE(a25 < ip4("10.0.0.2", 25));
    // The port field comes first in the raw bytes, so it decides first.
    EXPECT_TRUE(ip4("10.0.0.2", 25) < ip4("10.0.0.1", 587));
    // Bytes compare unsigned: 200 is above 100.
    EXPECT_TRUE(ip4("100.0.0.1", 25) < ip4("200.0.0.1", 25));
}

TEST(address, host_name_falls_back_to_the_numeric_text) {
    varrow::internet::environment::environment environment;
    // Flags that the resolver rejects make the first reverse lookup fail at
    // once (no name server is asked); the numeric retry still answers.
    EXPECT_EQ(ip4("127.0.0.2", 25).host_name(0x40000000), "127.0.0.2");
}

TEST(address, unknown_host_raises_host_not_found) {
    varrow::internet::environment::environment environment;
    // Not a valid host name, so the resolver refuses it without asking a
    // name server.
    EXPECT_EQ(raised_by([] { ip4("no such host", 25); }),
              (raised{"internet.address.host_not_found", "GetAddrInfoA() failed"}));
}

TEST(address, ipv6_only_result_raises_walk_failed) {
    varrow::internet::environment::environment environment;
    EXPECT_EQ(raised_by([] { ip4("::1", 25); }), (raised{"internet.address", "GetAddrInfoA() walk failed"}));
}

}  // namespace
