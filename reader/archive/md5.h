#pragma once
// MD5 message digest (RFC 1321).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::reader {

class md5 {
public:
    md5();
    // Digest of `data` (any bytes): same as md5() followed by one update.
    explicit md5(std::string_view data);

    // Adds `count` bytes. Whole 64-byte blocks are processed straight from
    // `data`; only a partial block is kept.
    void update(const void* data, std::size_t count);
    // Completes the digest on the first call and returns the 16 digest
    // bytes (A, B, C, D, each little-endian). Later calls return the same
    // bytes; update() after digest() is not meaningful.
    std::string digest();

private:
    void finish();

    std::uint32_t state_[4];
    std::uint32_t count_[2];             // bits so far, low word first
    std::vector<unsigned char> pending_; // fewer than 64 bytes between calls
    bool finalized_ = false;
};

}  // namespace tarnwick::reader
