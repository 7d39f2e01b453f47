#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "fixture.h"
#include "reader/archive/archive_format.h"
#include "varrow/system/file.h"

namespace {

using namespace archive_test;
namespace r = tarnwick::reader;
const std::string marker(r::tail_marker());

// The rule as stated: step back 23, stop at position 22 or less, read 22
// bytes (one read call), compare; on a match the tail element ends 20 bytes
// further on.
std::optional<std::uint64_t> byte_per_step(varrow::system::file& f, std::uint64_t end) {
    if (!f.seek_to(end)) return std::nullopt;
    for (;;) {
        if (!f.seek(-23)) return std::nullopt;
        const std::uint64_t pos = f.position();
        if (pos <= 22) return std::nullopt;
        char buffer[22];
        if (!f.read(buffer, 22)) return std::nullopt;
        if (std::string(buffer, 22) == marker) return pos + 22 + 20;
    }
}

// The same rule over bytes in memory, for files too long for one system
// call per byte in a test.
std::optional<std::uint64_t> byte_per_step(const std::string& bytes, std::uint64_t end) {
    for (std::uint64_t s = end; s >= 23 + 23;) {
        s -= 1;
        const std::uint64_t candidate = s - 22;  // end - 23, end - 24, ...
        if (bytes.compare(candidate, 22, marker) == 0) return candidate + 42;
    }
    return std::nullopt;
}

class TailSearch : public temp_folder_test {
protected:
    // Both searches over `bytes` from `end` (the file size when omitted).
    void expect_same(const std::string& bytes, std::optional<std::uint64_t> expected,
                     std::optional<std::uint64_t> end = std::nullopt) {
        const auto path = root_ / "f.bin";
        write_file(path, bytes);
        auto f = varrow::system::file::open_for_reading(path.string());
        ASSERT_TRUE(f.is_open());
        const std::uint64_t from = end.value_or(bytes.size());
        const auto reference = bytes.size() > 20000 ? byte_per_step(bytes, from) : byte_per_step(f, from);
        const auto blocks = r::find_tail(f, from);
        EXPECT_EQ(blocks, reference) << "size " << bytes.size() << ", end " << from;
        EXPECT_EQ(reference, expected) << "size " << bytes.size() << ", end " << from;
    }
};

TEST_F(TailSearch, SameAsOneStepPerByte) {
    const std::string m = marker;
    const std::string partial = m.substr(0, 21);
    struct row {
        const char* what;
        std::string bytes;
        std::optional<std::uint64_t> expected;
    };
    const std::vector<row> rows = {
        {"empty file", "", std::nullopt},
        {"marker alone", m, std::nullopt},
        {"match at 23, the lowest candidate", std::string(23, 'a') + m + "b", 23 + 42},
        {"match at 22 is never tested", std::string(22, 'a') + m + std::string(40, 'b'), std::nullopt},
        {"marker in the last 22 bytes", std::string(100, 'a') + m, std::nullopt},
        {"marker one byte before the last 22", std::string(100, 'a') + m + "x", 100 + 42},
        {"marker text cut at the end", std::string(100, 'a') + partial, std::nullopt},
        {"nearest the end wins", std::string(30, 'a') + m + std::string(50, 'b') + m + std::string(20, 'c'),
         30 + 22 + 50 + 42},
        {"second one only in the last 22 bytes", std::string(30, 'a') + m + std::string(50, 'b') + m,
         30 + 42},
        {"overlapping partial markers", std::string(30, 'a') + partial + m + partial + "x" + partial,
         30 + 21 + 42},
        {"repeated prefix", std::string(30, 'a') + "chunked-chunked-" + m + std::string(25, 'z'),
         30 + 16 + 42},
        {"case matters", std::string(30, 'a') + "Chunked-installer-tail" + std::string(25, 'z'), std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        expect_same(row.bytes, row.expected);
    }
}

TEST_F(TailSearch, BlockBordersAndLongTrailingData) {
    // A marker at every offset around the borders of the 64 KiB blocks the
    // search reads, counted back from the end.
    const std::size_t size = 3 * 65536 + 500;
    const std::string filler = noise(size, 21);
    // The search reads [end - 1 - 64 KiB, end - 1) first, then blocks that
    // overlap the one before by 21 bytes: the lowest candidate start of the
    // first block lies 65537 bytes before the end, of the second 131052.
    std::vector<std::size_t> backs = {23, 24, 44, 45, size - 24, size - 23};
    for (std::size_t border : {65537u, 131052u, 196567u})
        for (std::size_t d = 0; d < 50; ++d) backs.push_back(border - 25 + d);
    for (std::size_t back : backs) {
        if (back > size - 23) continue;
        std::string bytes = filler;
        const std::size_t s = size - back;
        bytes.replace(s, marker.size(), marker);
        SCOPED_TRACE(back);
        expect_same(bytes, s + 42);
    }
    expect_same(filler, std::nullopt);
}

TEST_F(TailSearch, SearchEndBelowTheFileSize) {
    const std::string bytes = std::string(100, 'a') + marker + std::string(100, 'b') + marker + std::string(50, 'c');
    expect_same(bytes, 100 + 42, 100 + 22 + 100 + 10);   // the second marker lies beyond the end
    expect_same(bytes, 222 + 42, 222 + 22 + 1);          // just inside
    expect_same(bytes, 100 + 42, 222 + 22);              // in the last 22 bytes before the end
}

TEST_F(TailSearch, RandomFilesOfMarkerPieces) {
    // Files made of pieces of the marker: many near-misses and overlaps.
    std::uint32_t x = 99;
    auto next = [&] { return (x = x * 1103515245u + 12345u) >> 16; };
    for (int i = 0; i < 300; ++i) {
        std::string bytes;
        const std::size_t pieces = next() % 12;
        for (std::size_t p = 0; p < pieces; ++p) {
            const std::size_t from = next() % 22, length = next() % (23 - from);
            bytes += marker.substr(from, length) + std::string(next() % 3, 'q');
        }
        if (next() % 3 == 0) bytes.insert(next() % (bytes.size() + 1), marker);
        const auto path = root_ / "r.bin";
        write_file(path, bytes);
        auto f = varrow::system::file::open_for_reading(path.string());
        ASSERT_TRUE(f.is_open());
        EXPECT_EQ(r::find_tail(f, bytes.size()), byte_per_step(f, bytes.size())) << i;
        EXPECT_EQ(byte_per_step(bytes, bytes.size()), byte_per_step(f, bytes.size())) << i;
    }
}

}  // namespace
