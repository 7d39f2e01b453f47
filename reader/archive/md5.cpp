#include "reader/archive/md5.h"

#include <algorithm>
#include <cstring>

namespace tarnwick::reader {

namespace {

inline std::uint32_t rotl(std::uint32_t x, int s) { return (x << s) | (x >> (32 - s)); }

inline std::uint32_t load_le(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// The four rounds of RFC 1321, written out step by step with their
// constants so the compiler keeps all sixteen words in registers.
#define TW_MD5_F(x, y, z) ((z) ^ ((x) & ((y) ^ (z))))
#define TW_MD5_G(x, y, z) ((y) ^ ((z) & ((x) ^ (y))))
#define TW_MD5_H(x, y, z) ((x) ^ (y) ^ (z))
#define TW_MD5_I(x, y, z) ((y) ^ ((x) | ~(z)))
#define TW_MD5_STEP(f, a, b, c, d, x, t, s) \
    (a) += f((b), (c), (d)) + (x) + (t);    \
    (a) = rotl((a), (s)) + (b)

void process_blocks(std::uint32_t state[4], const unsigned char* p, std::size_t blocks) {
    std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    for (; blocks > 0; --blocks, p += 64) {
        const std::uint32_t x0 = load_le(p), x1 = load_le(p + 4), x2 = load_le(p + 8), x3 = load_le(p + 12),
                            x4 = load_le(p + 16), x5 = load_le(p + 20), x6 = load_le(p + 24),
                            x7 = load_le(p + 28), x8 = load_le(p + 32), x9 = load_le(p + 36),
                            x10 = load_le(p + 40), x11 = load_le(p + 44), x12 = load_le(p + 48),
                            x13 = load_le(p + 52), x14 = load_le(p + 56), x15 = load_le(p + 60);
        const std::uint32_t aa = a, bb = b, cc = c, dd = d;

        TW_MD5_STEP(TW_MD5_F, a, b, c, d, x0, 0xd76aa478, 7);
        TW_MD5_STEP(TW_MD5_F, d, a, b, c, x1, 0xe8c7b756, 12);
        TW_MD5_STEP(TW_MD5_F, c, d, a, b, x2, 0x242070db, 17);
        TW_MD5_STEP(TW_MD5_F, b, c, d, a, x3, 0xc1bdceee, 22);
        TW_MD5_STEP(TW_MD5_F, a, b, c, d, x4, 0xf57c0faf, 7);
        TW_MD5_STEP(TW_MD5_F, d, a, b, c, x5, 0x4787c62a, 12);
        TW_MD5_STEP(TW_MD5_F, c, d, a, b, x6, 0xa8304613, 17);
        TW_MD5_STEP(TW_MD5_F, b, c, d, a, x7, 0xfd469501, 22);
        TW_MD5_STEP(TW_MD5_F, a, b, c, d, x8, 0x698098d8, 7);
        TW_MD5_STEP(TW_MD5_F, d, a, b, c, x9, 0x8b44f7af, 12);
        TW_MD5_STEP(TW_MD5_F, c, d, a, b, x10, 0xffff5bb1, 17);
        TW_MD5_STEP(TW_MD5_F, b, c, d, a, x11, 0x895cd7be, 22);
        TW_MD5_STEP(TW_MD5_F, a, b, c, d, x12, 0x6b901122, 7);
        TW_MD5_STEP(TW_MD5_F, d, a, b, c, x13, 0xfd987193, 12);
        TW_MD5_STEP(TW_MD5_F, c, d, a, b, x14, 0xa679438e, 17);
        TW_MD5_STEP(TW_MD5_F, b, c, d, a, x15, 0x49b40821, 22);

        TW_MD5_STEP(TW_MD5_G, a, b, c, d, x1, 0xf61e2562, 5);
        TW_MD5_STEP(TW_MD5_G, d, a, b, c, x6, 0xc040b340, 9);
        TW_MD5_STEP(TW_MD5_G, c, d, a, b, x11, 0x265e5a51, 14);
        TW_MD5_STEP(TW_MD5_G, b, c, d, a, x0, 0xe9b6c7aa, 20);
        TW_MD5_STEP(TW_MD5_G, a, b, c, d, x5, 0xd62f105d, 5);
        TW_MD5_STEP(TW_MD5_G, d, a, b, c, x10, 0x02441453, 9);
        TW_MD5_STEP(TW_MD5_G, c, d, a, b, x15, 0xd8a1e681, 14);
        TW_MD5_STEP(TW_MD5_G, b, c, d, a, x4, 0xe7d3fbc8, 20);
        TW_MD5_STEP(TW_MD5_G, a, b, c, d, x9, 0x21e1cde6, 5);
        TW_MD5_STEP(TW_MD5_G, d, a, b, c, x14, 0xc33707d6, 9);
        TW_MD5_STEP(TW_MD5_G, c, d, a, b, x3, 0xf4d50d87, 14);
        TW_MD5_STEP(TW_MD5_G, b, c, d, a, x8, 0x455a14ed, 20);
        TW_MD5_STEP(TW_MD5_G, a, b, c, d, x13, 0xa9e3e905, 5);
        TW_MD5_STEP(TW_MD5_G, d, a, b, c, x2, 0xfcefa3f8, 9);
        TW_MD5_STEP(TW_MD5_G, c, d, a, b, x7, 0x676f02d9, 14);
        TW_MD5_STEP(TW_MD5_G, b, c, d, a, x12, 0x8d2a4c8a, 20);

        TW_MD5_STEP(TW_MD5_H, a, b, c, d, x5, 0xfffa3942, 4);
        TW_MD5_STEP(TW_MD5_H, d, a, b, c, x8, 0x8771f681, 11);
        TW_MD5_STEP(TW_MD5_H, c, d, a, b, x11, 0x6d9d6122, 16);
        TW_MD5_STEP(TW_MD5_H, b, c, d, a, x14, 0xfde5380c, 23);
        TW_MD5_STEP(TW_MD5_H, a, b, c, d, x1, 0xa4beea44, 4);
        TW_MD5_STEP(TW_MD5_H, d, a, b, c, x4, 0x4bdecfa9, 11);
        TW_MD5_STEP(TW_MD5_H, c, d, a, b, x7, 0xf6bb4b60, 16);
        TW_MD5_STEP(TW_MD5_H, b, c, d, a, x10, 0xbebfbc70, 23);
        TW_MD5_STEP(TW_MD5_H, a, b, c, d, x13, 0x289b7ec6, 4);
        TW_MD5_STEP(TW_MD5_H, d, a, b, c, x0, 0xeaa127fa, 11);
        TW_MD5_STEP(TW_MD5_H, c, d, a, b, x3, 0xd4ef3085, 16);
        TW_MD5_STEP(TW_MD5_H, b, c, d, a, x6, 0x04881d05, 23);
        TW_MD5_STEP(TW_MD5_H, a, b, c, d, x9, 0xd9d4d039, 4);
        TW_MD5_STEP(TW_MD5_H, d, a, b, c, x12, 0xe6db99e5, 11);
        TW_MD5_STEP(TW_MD5_H, c, d, a, b, x15, 0x1fa27cf8, 16);
        TW_MD5_STEP(TW_MD5_H, b, c, d, a, x2, 0xc4ac5665, 23);

        TW_MD5_STEP(TW_MD5_I, a, b, c, d, x0, 0xf4292244, 6);
        TW_MD5_STEP(TW_MD5_I, d, a, b, c, x7, 0x432aff97, 10);
        TW_MD5_STEP(TW_MD5_I, c, d, a, b, x14, 0xab9423a7, 15);
        TW_MD5_STEP(TW_MD5_I, b, c, d, a, x5, 0xfc93a039, 21);
        TW_MD5_STEP(TW_MD5_I, a, b, c, d, x12, 0x655b59c3, 6);
        TW_MD5_STEP(TW_MD5_I, d, a, b, c, x3, 0x8f0ccc92, 10);
        TW_MD5_STEP(TW_MD5_I, c, d, a, b, x10, 0xffeff47d, 15);
        TW_MD5_STEP(TW_MD5_I, b, c, d, a, x1, 0x85845dd1, 21);
        TW_MD5_STEP(TW_MD5_I, a, b, c, d, x8, 0x6fa87e4f, 6);
        TW_MD5_STEP(TW_MD5_I, d, a, b, c, x15, 0xfe2ce6e0, 10);
        TW_MD5_STEP(TW_MD5_I, c, d, a, b, x6, 0xa3014314, 15);
        TW_MD5_STEP(TW_MD5_I, b, c, d, a, x13, 0x4e0811a1, 21);
        TW_MD5_STEP(TW_MD5_I, a, b, c, d, x4, 0xf7537e82, 6);
        TW_MD5_STEP(TW_MD5_I, d, a, b, c, x11, 0xbd3af235, 10);
        TW_MD5_STEP(TW_MD5_I, c, d, a, b, x2, 0x2ad7d2bb, 15);
        TW_MD5_STEP(TW_MD5_I, b, c, d, a, x9, 0xeb86d391, 21);

        a += aa;
        b += bb;
        c += cc;
        d += dd;
    }
    state[0] = a;
    state[1] = b;
    state[2] = c;
    state[3] = d;
}

#undef TW_MD5_STEP
#undef TW_MD5_I
#undef TW_MD5_H
#undef TW_MD5_G
#undef TW_MD5_F

}  // namespace

md5::md5() : state_{0x67452301u, 0xefcdab89u, 0x98badcfeu, 0x10325476u}, count_{0, 0} { pending_.reserve(64); }

md5::md5(std::string_view data) : md5() { update(data.data(), data.size()); }

void md5::update(const void* data, std::size_t count) {
    const auto* in = static_cast<const unsigned char*>(data);

    // The bit count is kept modulo 2^64, as two 32-bit words.
    const std::uint64_t bits = (static_cast<std::uint64_t>(count_[1]) << 32 | count_[0]) +
                               (static_cast<std::uint64_t>(count) << 3);
    count_[0] = static_cast<std::uint32_t>(bits);
    count_[1] = static_cast<std::uint32_t>(bits >> 32);

    if (!pending_.empty()) {
        const std::size_t take = std::min<std::size_t>(64 - pending_.size(), count);
        pending_.insert(pending_.end(), in, in + take);
        in += take;
        count -= take;
        if (pending_.size() < 64) return;
        process_blocks(state_, pending_.data(), 1);
        pending_.clear();
    }
    if (count >= 64) {
        process_blocks(state_, in, count / 64);
        in += count & ~static_cast<std::size_t>(63);
        count &= 63;
    }
    if (count > 0) pending_.insert(pending_.end(), in, in + count);
}

void md5::finish() {
    finalized_ = true;
    const std::size_t b = (count_[0] >> 3) & 63;
    unsigned char closing[128];
    std::size_t length = 0;
    std::memcpy(closing, pending_.data(), pending_.size());
    length = pending_.size();
    closing[length++] = 0x80;
    const std::size_t zeros = b < 56 ? 55 - b : 119 - b;
    std::memset(closing + length, 0, zeros);
    length += zeros;
    for (int i = 0; i < 8; ++i) closing[length++] = static_cast<unsigned char>((i < 4 ? count_[0] >> (8 * i) : count_[1] >> (8 * (i - 4))));
    pending_.clear();
    update(closing, length);
}

std::string md5::digest() {
    if (!finalized_) finish();
    std::string out(16, '\0');
    for (int w = 0; w < 4; ++w)
        for (int i = 0; i < 4; ++i) out[4 * w + i] = static_cast<char>(state_[w] >> (8 * i));
    return out;
}

}  // namespace tarnwick::reader
