// Transfer codings: the decoders over any text, and every encoder's output
// decoded back to its input.

#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "varrow/coding/translate.h"

namespace tr = varrow::coding::translate;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = tarnwick::fuzz::as_text(data, size);

    // Never raises; every 4 symbols give at most 3 bytes.
    const std::string from64 = tr::from_base64(text);
    TW_FUZZ_CHECK(from64.size() <= text.size() * 3 / 4);

    try {
        const std::string bytes = tr::from_hex(text);
        TW_FUZZ_CHECK(bytes.size() == text.size() / 2);
    } catch (const tr::invalid_codeword&) {
    }
    try {
        const std::string bytes = tr::from_quoted_printable(text);
        TW_FUZZ_CHECK(bytes.size() <= text.size());
    } catch (const tr::invalid_codeword&) {
    }

    TW_FUZZ_CHECK(tr::from_base64(tr::to_base64(text)) == text);
    TW_FUZZ_CHECK(tr::from_hex(tr::to_hex(text)) == text);
    TW_FUZZ_CHECK(tr::from_quoted_printable(tr::to_quoted_printable(text)) == text);

    // The bit packer and unpacker for every symbol width, with an alphabet
    // whose symbols are their own values. Whole bytes survive the trip.
    std::string alphabet(256, '\0');
    tr::value_table identity{};
    for (unsigned v = 0; v < 256; ++v) {
        alphabet[v] = static_cast<char>(v);
        identity[v] = static_cast<std::int16_t>(v);
    }
    for (unsigned bits = 1; bits <= 8; ++bits) {
        const unsigned mask = (1u << bits) - 1;
        std::string packed;
        tr::encode_bits(text, packed, alphabet.data(), bits, mask);
        TW_FUZZ_CHECK(packed.size() == (text.size() * 8 + bits - 1) / bits);
        std::string unpacked;
        tr::decode_bits(packed, unpacked, identity, bits, true);
        TW_FUZZ_CHECK(unpacked == text);
        // Unpacking any text with a table that has gaps must not fail
        // when not strict.
        std::string loose;
        tr::decode_bits(text, loose, tr::base64_table, bits, false);
    }
    return 0;
}
