// The Windows code-page services do the conversion. The output buffer is
// sized for the worst case in advance, so each call makes one conversion.
#include "varrow/system/win32.h"
#include "varrow/unicode/errors.h"
#include "varrow/unicode/platform.h"

#include <limits>

namespace varrow::unicode::platform {

namespace {

// The platform takes int lengths; larger texts cannot be converted in one call.
int checked_length(std::size_t length) {
    if (length > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        throw out_of_memory("");
    return static_cast<int>(length);
}

}  // namespace

std::string to_multibyte(const std::u16string& text, std::int32_t codepage, bool restricted) {
    CPINFO info{};
    if (!GetCPInfo(static_cast<UINT>(codepage), &info)) throw invalid_codepage("");
    const int length = checked_length(text.size());
    const std::size_t capacity = text.size() * info.MaxCharSize;
    if (capacity / info.MaxCharSize != text.size()) throw out_of_memory("");
    std::string buffer(capacity, '\0');
    BOOL used_default = FALSE;
    // The services do not set the last error on every path that writes
    // nothing, so a stale value must not be mistaken for this call's.
    SetLastError(ERROR_SUCCESS);
    // Unrestricted pages convert without best fit: with flags 0 Windows
    // silently writes look-alikes (U+0100 becomes "A" in 1252) and reports
    // no default character, which would change the text without an error.
    // Restricted pages take no flags at all.
    const DWORD flags = restricted ? 0 : WC_NO_BEST_FIT_CHARS;
    const int n = WideCharToMultiByte(static_cast<UINT>(codepage), flags,
                                      reinterpret_cast<LPCWSTR>(text.data()), length,
                                      buffer.data(), checked_length(buffer.size()),
                                      nullptr, restricted ? nullptr : &used_default);
    // Read at once: nothing may run between the failed call and this.
    const DWORD error = n > 0 ? 0 : GetLastError();
    // A replacement character fails the conversion even when bytes came out.
    if (used_default) throw unmappable_character("");
    if (n > 0) {
        buffer.resize(static_cast<std::size_t>(n));
        return buffer;
    }
    switch (error) {
    case ERROR_INSUFFICIENT_BUFFER: throw out_of_memory("");
    case ERROR_INVALID_PARAMETER: throw unmappable_character("");
    default: throw generic("");
    }
}

std::u16string to_wide(const std::string& bytes, std::int32_t codepage, bool restricted) {
    const int length = checked_length(bytes.size());
    std::u16string buffer(bytes.size(), u'\0');
    SetLastError(ERROR_SUCCESS);
    const int n = MultiByteToWideChar(static_cast<UINT>(codepage),
                                      restricted ? 0 : MB_ERR_INVALID_CHARS,
                                      bytes.data(), length,
                                      reinterpret_cast<LPWSTR>(buffer.data()), length);
    if (n > 0) {
        buffer.resize(static_cast<std::size_t>(n));
        return buffer;
    }
    switch (GetLastError()) {
    case ERROR_INSUFFICIENT_BUFFER: throw out_of_memory("");
    case ERROR_INVALID_PARAMETER: throw invalid_codepage("");
    case ERROR_NO_UNICODE_TRANSLATION: throw unmappable_character("");
    default: throw generic("");
    }
}

}  // namespace varrow::unicode::platform
