#pragma once
// The whole behaviour of the code-page converter for one code page, as text:
// every byte, every lead byte with all 256 trail bytes, and every UTF-16
// code unit converted back. The same text from the Windows build (the
// platform's services) and from the POSIX converter proves the two agree.
//
//   cp N                    or  cp N unsupported
//   b XX UUUU[ UUUU]        a byte that reads as characters
//   b XX !name              a byte that fails (name of the error)
//   p XXYY UUUU[ UUUU]      a pair after a lead byte that fails alone
//   u UUUU XX[YY...]        a code unit that converts back to bytes
//   fail N                  how many pairs and code units failed

#include <cstdint>
#include <string>

namespace tarnwick::tools {

// The block of `codepage`, each line ended by "\n". Raises nothing: every
// conversion failure becomes part of the text.
std::string dump_codepage(std::int32_t codepage);

}  // namespace tarnwick::tools
