#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "reader/archive/md5.h"

namespace {

using tarnwick::reader::md5;

std::string hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

struct rfc_case {
    const char* input;
    const char* digest;
};

// The test suite of RFC 1321, appendix A.5.
const rfc_case rfc_suite[] = {
    {"", "d41d8cd98f00b204e9800998ecf8427e"},
    {"a", "0cc175b9c0f1b6a831c399e269772661"},
    {"abc", "900150983cd24fb0d6963f7d28e17f72"},
    {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "57edf4a22be3c955ac49da2e2107b67a"},
};

TEST(Md5, RfcTestSuite) {
    for (const auto& c : rfc_suite) {
        md5 one_shot{std::string(c.input)};
        EXPECT_EQ(hex(one_shot.digest()), c.digest) << '"' << c.input << '"';
    }
}

std::string sample(std::size_t size) {
    std::string s(size, '\0');
    std::uint32_t x = 12345;
    for (auto& ch : s) {
        x = x * 1103515245u + 12345u;
        ch = static_cast<char>(x >> 23);
    }
    return s;
}

TEST(Md5, SameDigestWhateverThePieceSizes) {
    // Lengths around the 56- and 64-byte borders of the closing block, and
    // pieces that cross block borders in every way.
    for (std::size_t length : {0u, 1u, 55u, 56u, 57u, 63u, 64u, 65u, 119u, 120u, 128u, 1000u, 4099u}) {
        const std::string data = sample(length);
        const std::string whole = md5(data).digest();
        for (std::size_t piece : {1u, 3u, 63u, 64u, 65u, 127u}) {
            md5 m;
            for (std::size_t at = 0; at < data.size(); at += piece)
                m.update(data.data() + at, std::min(piece, data.size() - at));
            EXPECT_EQ(m.digest(), whole) << "length " << length << ", pieces of " << piece;
        }
        // Irregular pieces: 1, 2, 3, ... bytes.
        md5 m;
        for (std::size_t at = 0, p = 1; at < data.size(); at += p, ++p) m.update(data.data() + at, std::min(p, data.size() - at));
        EXPECT_EQ(m.digest(), whole) << "length " << length << ", growing pieces";
    }
}

TEST(Md5, DigestTwiceGivesTheSameBytes) {
    md5 m{std::string("abc")};
    const std::string first = m.digest();
    EXPECT_EQ(m.digest(), first);
    EXPECT_EQ(first.size(), 16u);
}

TEST(Md5, DigestWithZeroBytesIsStillSixteenBytes) {
    // Search small inputs for a digest holding a zero byte; the text must
    // keep its full length and match the one-shot form.
    bool found = false;
    for (int i = 0; i < 1000 && !found; ++i) {
        const std::string input = std::to_string(i);
        const std::string d = md5(input).digest();
        ASSERT_EQ(d.size(), 16u);
        if (d.find('\0') != std::string::npos) {
            found = true;
            md5 pieces;
            pieces.update(input.data(), input.size());
            EXPECT_EQ(pieces.digest(), d);
        }
    }
    EXPECT_TRUE(found);
}

TEST(Md5, InputWithZeroBytes) {
    const std::string data("a\0b", 3);
    EXPECT_EQ(hex(md5(data).digest()), "70350f6027bce3713f6b76473084309b");
}

}  // namespace
