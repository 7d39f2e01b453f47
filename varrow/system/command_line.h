#pragma once
// Command-line text by the Windows rules, on every platform.
//
// A Windows program receives one text; a POSIX program receives an argument
// list. join_arguments() turns a list into a text that split_arguments()
// turns back into the same list, so the same command-line text means the
// same arguments on both platforms.

#include <string>
#include <string_view>
#include <vector>

namespace varrow::system {

// One argument as it must appear in a command line: unchanged when it is
// not empty and holds no blank, tab, line break or double quote; otherwise
// in double quotes, with a backslash in front of every quote and the
// backslashes that precede a quote (or the closing quote) doubled.
std::string quote_argument(std::string_view argument);

// The arguments, each quoted as above, joined by single blanks.
std::string join_arguments(const std::vector<std::string>& arguments);

// Splits a command-line text into arguments by the rules of the Windows C
// runtime for arguments after the program name: blanks and tabs separate
// arguments outside quotes; a double quote toggles quoting and is dropped;
// 2n backslashes before a quote give n backslashes (the quote then toggles),
// 2n+1 give n backslashes and a literal quote; backslashes elsewhere are
// literal; inside quotes two quotes in a row give one literal quote. "" is
// an empty argument; blanks alone give no argument.
std::vector<std::string> split_arguments(std::string_view text);

}  // namespace varrow::system
