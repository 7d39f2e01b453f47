// read_reply and read_line over a transport whose received bytes are the
// fuzz input, delivered in pieces of varying size.
//
// Input: the byte stream that the server sends.

#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "varrow/internet/smtp/smtp.h"
#include "varrow/internet/transport/tcp/tcp.h"

namespace tcp = varrow::internet::transport::tcp;
namespace smtp = varrow::internet::smtp;
namespace transport = varrow::internet::transport;

namespace {

// A stream without a socket: what is written is dropped, what is received
// comes from memory. When `piecewise`, each fill delivers a few bytes (the
// count taken from the stream itself), never ending a piece right after an
// LF, because a lone LF ends its line at once whatever follows; otherwise
// the first fill delivers everything. Once all is delivered, fill raises
// what a closed peer raises.
class memory_stream final : public tcp::base {
public:
    memory_stream(std::string_view bytes, bool piecewise) : bytes_(bytes), piecewise_(piecewise) {}

    void flush() override { output_queue_.clear(); }

    void fill() override {
        if (offset_ == bytes_.size()) throw connection_closed("recv() failed");
        std::size_t count = bytes_.size() - offset_;
        if (piecewise_) {
            count = std::min<std::size_t>(count, 1 + static_cast<unsigned char>(bytes_[offset_]) % 7);
            while (offset_ + count < bytes_.size() && bytes_[offset_ + count - 1] == '\n') ++count;
        }
        input_queue_.insert(input_queue_.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(offset_),
                            bytes_.begin() + static_cast<std::ptrdiff_t>(offset_ + count));
        offset_ += count;
    }

private:
    std::string_view bytes_;
    bool piecewise_;
    std::size_t offset_ = 0;
};

struct line_result {
    std::vector<std::string> lines;
    std::string failure;
    bool operator==(const line_result&) const = default;
};

line_result read_lines(std::string_view bytes, bool piecewise) {
    memory_stream stream(bytes, piecewise);
    line_result result;
    try {
        for (;;) {
            std::string line;
            stream.read_line(line);
            TW_FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos);
            TW_FUZZ_CHECK(line.size() <= tcp::base::max_line_length);
            result.lines.push_back(std::move(line));
        }
    } catch (const transport::generic& error) {
        result.failure = error.what();
    }
    return result;
}

void read_replies(std::string_view bytes, bool piecewise) {
    memory_stream stream(bytes, piecewise);
    smtp::reply_texts texts;
    for (;;) {
        try {
            const std::int32_t code = smtp::read_reply(stream, texts);
            TW_FUZZ_CHECK(code >= -999 && code <= 999);
        } catch (const smtp::generic&) {
            // A refused or malformed reply; the stream goes on after it.
        } catch (const transport::generic&) {
            return;
        }
        TW_FUZZ_CHECK(texts.size() <= smtp::max_reply_texts + 1);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = tarnwick::fuzz::as_text(data, size);
    // How the bytes arrive must not change the lines they make.
    TW_FUZZ_CHECK(read_lines(bytes, false) == read_lines(bytes, true));
    read_replies(bytes, false);
    read_replies(bytes, true);
    return 0;
}
