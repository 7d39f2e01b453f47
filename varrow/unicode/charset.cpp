// The charset registry: a fixed name table and two groups of numbered
// prefixes.
#include "varrow/unicode/charset.h"

#include <initializer_list>
#include <string_view>
#include <utility>

#include "varrow/text.h"
#include "varrow/variant.h"

namespace varrow::unicode {

namespace {

struct charset_row {
    std::int32_t codepage;
    std::initializer_list<const char*> names;
};

// Filled with insert-if-absent: a name listed twice keeps its first value.
std::map<std::string, std::int32_t> fill_charset_table() {
    static const charset_row rows[] = {
        {-1, {"ascii", "usascii"}},
        {874, {"tis620"}},
        {932, {"csshiftjis", "cswindows31j", "mskanji", "shiftjis", "xsjis"}},
        {936, {"csgb2312", "csgb231280", "csiso58gb231280", "cngb", "gbk", "gb2312",
               "gb231280", "isoir58"}},
        {949, {"ksc5601", "ksc56011987", "csksc5601", "csksc56011987", "isoir149", "korean"}},
        {950, {"big5", "cnbig5", "csbig5", "xxbig5"}},
        {1252, {"isoir6", "iso646us"}},
        {1254, {"isoir148"}},
        {1361, {"johab"}},
        {10000, {"macintosh"}},
        {10001, {"xmacjapanese"}},
        {10002, {"xmacchinesetrad"}},
        {10003, {"xmackorean"}},
        {10004, {"xmacarabic"}},
        {10005, {"xmachebrew"}},
        {10006, {"xmacgreek"}},
        {10007, {"xmaccyrillic"}},
        // x-mac-chinesesimp is the Mac's GB 2312 encoding, not HZ.
        {10008, {"xmacchinesesimp"}},
        {10029, {"xmacce"}},
        {10079, {"xmacicelandic"}},
        {20000, {"xchinesecns"}},
        {20002, {"xchineseeten"}},
        {20106, {"xia5german"}},
        {20107, {"xia5swedish"}},
        {20108, {"xia5norwegian"}},
        {20866, {"koi", "koi8", "koi8r"}},
        {21866, {"koi8u", "koi8ru"}},
        // iso-ir-100 is registered as ISO-8859-1 itself, so it gives what
        // "ISO-8859-1" and "latin1" give.
        {28591, {"isoir100"}},
        {28592, {"isoir101"}},
        {28594, {"isoir110"}},
        {28595, {"csisolatincyrillic", "cyrillic", "isoir144"}},
        // ASMO 708 is the Arabic code page 708.
        {708, {"asmo708"}},
        {28596, {"arabic", "csisolatinarabic", "ecma114", "isoir127"}},
        {28597, {"csisolatingreek", "ecma118", "elot928", "greek", "greek8", "isoir126"}},
        {28598, {"csisolatinhebrew", "hebrew", "isoir138", "visual"}},
        {29001, {"xeuropa"}},
        {38598, {"iso88598i", "logical"}},
        {50221, {"csiso2022jp", "iso2022jp"}},
        {51932, {"eucjp", "cseucjp", "xeucjp"}},
        {51936, {"euccn", "cseuccn", "xeuccn"}},
        {51949, {"euckr", "cseuckr", "xcseuckr"}},
        {52936, {"hzgb2312"}},
        {54936, {"gb18030"}},
        {57002, {"xisciide"}},
        {57003, {"xisciibe"}},
        {57004, {"xisciita"}},
        {57005, {"xisciite"}},
        {57006, {"xisciias"}},
        {57007, {"xisciior"}},
        {57008, {"xisciika"}},
        {57009, {"xisciima"}},
        {57010, {"xisciigu"}},
        {57011, {"xisciipa"}},
        {65000, {"utf7", "unicode11utf7", "unicode20utf7"}},
        {65001, {"utf8", "unicode11utf8", "unicode20utf8"}},
    };
    std::map<std::string, std::int32_t> table;
    for (const charset_row& row : rows)
        for (const char* name : row.names) table.emplace(name, row.codepage);
    return table;
}

std::string normalise(const std::string& name) {
    std::string text = to_lower(name);
    text = replace_all(text, "-", "");
    return replace_all(text, "_", "");
}

std::int32_t number_after(const std::string& name, std::size_t prefix_length) {
    return variant(name.substr(prefix_length)).as_integer();
}

// Latin alphabet numbers 5..10 live in ISO 8859 parts 9, 10, 13, 14, 15, 16.
std::int32_t iso8859_part_of_latin(std::int32_t alphabet) {
    switch (alphabet) {
    case 5: return 9;
    case 6: return 10;
    case 7: return 13;
    case 8: return 14;
    case 9: return 15;
    case 10: return 16;
    default: return alphabet;
    }
}

// 28590 + part without signed overflow for clamped extreme numbers; such
// results are not code pages and fail later as invalid_codepage.
std::int32_t iso8859_codepage(std::int32_t part) {
    const std::int64_t value = 28590 + static_cast<std::int64_t>(part);
    if (value > INT32_MAX) return INT32_MAX;
    return static_cast<std::int32_t>(value);
}

}  // namespace

const std::map<std::string, std::int32_t> charset_table = fill_charset_table();

std::int32_t codepage_of(const std::string& name) {
    const std::string key = normalise(name);
    if (const auto found = charset_table.find(key); found != charset_table.end())
        return found->second;
    if (starts_with(key, "iso8859")) return iso8859_codepage(number_after(key, 7));
    for (std::string_view prefix : {std::string_view("latin"), std::string_view("csisolatin")})
        if (starts_with(key, prefix))
            return iso8859_codepage(iso8859_part_of_latin(number_after(key, prefix.size())));
    for (std::string_view prefix : {std::string_view("windows"), std::string_view("dos"),
                                    std::string_view("ibm"), std::string_view("cp")})
        if (starts_with(key, prefix)) return number_after(key, prefix.size());
    return -1;
}

}  // namespace varrow::unicode
