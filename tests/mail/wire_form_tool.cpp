// Writes wire forms for an independent MIME parser to read back.
//
//   wire_form_tool report <text> <out>            report as the report tool builds it
//   wire_form_tool multipart <text> <out>         multipart/mixed: base64 and quoted-printable parts
//   wire_form_tool words <charset> <text> <out>   each text line as one encoded header text
//
// <text> holds UTF-8; <out> receives the lines joined with CR LF. Exit
// status 0 on success, 2 on bad use, 1 on an error (its what() on stderr).

#include <exception>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "varrow/internet/message2/header_type.h"
#include "varrow/internet/message2/message.h"
#include "varrow/unicode/conversion.h"

namespace {

using varrow::internet::message2::message;
constexpr int utf8 = 65001;

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void write_lines(const std::string& path, const std::vector<std::string>& lines) {
    std::ofstream out(path, std::ios::binary);
    for (const auto& line : lines) out << line << "\r\n";
    if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

void make_report(message& m, const std::u16string& text) {
    m.remove_header("Content-Transfer-Encoding");
    m.add_header("Content-Transfer-Encoding", "base64");
    m.add_header("To", "\"Installation Support\" <install-support@tarnwick.example>");
    m.charset = "utf-8";
    m.set_text(text);
    m.add_header("Subject", "TW:1  OS:10.0  ExitCode:1603 (Error:1603)");
}

int run(const std::vector<std::string>& args) {
    if (args.size() == 3 && args[0] == "report") {
        message m;
        make_report(m, varrow::unicode::to_wide(read_file(args[1]), utf8));
        write_lines(args[2], m.lines());
        return 0;
    }
    if (args.size() == 3 && args[0] == "multipart") {
        const std::u16string text = varrow::unicode::to_wide(read_file(args[1]), utf8);
        message m;
        m.headers.clear();
        m.add_header("Content-Type", "multipart/mixed");
        m.add_header("MIME-Version", "1.0");
        m.media_type = "multipart/mixed";
        m.boundary = "=_varrow_boundary";
        make_report(m.add_part(), text);
        message& second = m.add_part();
        second.charset = "utf-8";
        second.set_text(text);  // quoted-printable by default
        write_lines(args[2], m.lines());
        return 0;
    }
    if (args.size() == 4 && args[0] == "words") {
        const std::string bytes = read_file(args[2]);
        std::vector<std::string> lines;
        std::size_t start = 0;
        while (start < bytes.size()) {
            std::size_t end = bytes.find('\n', start);
            if (end == std::string::npos) end = bytes.size();
            varrow::internet::message2::header_type::unstructured_value_type value;
            value.charset = args[1];
            value.set_value_from(bytes.substr(start, end - start), utf8);
            lines.push_back(value.format());
            start = end + 1;
        }
        write_lines(args[3], lines);
        return 0;
    }
    std::cerr << "usage: wire_form_tool report|multipart <text> <out> | words <charset> <text> <out>\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
}
