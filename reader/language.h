#pragma once
// The user's recorded language choice, passed to the setup program as an
// option "/L<identifier>" in front of its parameters.

#include <optional>
#include <string>

namespace tarnwick::reader {

// The Windows language identifier (decimal text) for a language code; codes
// are compared exactly, and any code not in the table gives "1033".
std::string language_identifier(const std::string& code);

// The stored language value, or nothing when there is none that fits.
// Windows: value "Language" of HKEY_CURRENT_USER\Software\Tarnwick, at most
// 9 characters (a 10-byte value without terminating zero is refused).
// POSIX: the bytes of $XDG_CONFIG_HOME/Tarnwick/Language (an unset, empty
// or relative $XDG_CONFIG_HOME means ~/.config), one trailing line feed
// dropped; 10 or more bytes are refused. Text ends at a zero byte.
std::optional<std::string> read_language_value();

// The parameters with the option "/L<identifier> " in front when a
// non-empty language value is given and the parameters do not already hold
// "/L" (case-sensitive); otherwise the parameters unchanged.
std::string with_language_option(const std::string& parameters, const std::optional<std::string>& value);

// with_language_option(parameters, read_language_value()). Never shows a
// message; a missing or unusable value leaves the parameters unchanged.
std::string add_language_option(const std::string& parameters);

}  // namespace tarnwick::reader
