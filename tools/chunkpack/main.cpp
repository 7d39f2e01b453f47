// chunkpack: builds and inspects chunked installer archives.
#include <cstdio>
#include <exception>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "reader/archive/archive_format.h"
#include "reader/installer_variables.h"
#include "tools/chunkpack/archive_writer.h"
#include "tools/chunkpack/inspect.h"
#include "varrow/system/file.h"
#include "varrow/text.h"

namespace {

namespace sys = varrow::system;
using namespace tarnwick;

const char usage_text[] =
    "Usage:\n"
    "  chunkpack create OUTPUT --stub PATH [--stub-name NAME] [--stub-key KEY]\n"
    "                   [--value KEY VALUE]... [--file KEY NAME PATH]... [--trailing PATH]\n"
    "  chunkpack list INSTALLER\n"
    "  chunkpack verify INSTALLER\n"
    "  chunkpack extract INSTALLER DIR\n"
    "  chunkpack --help\n"
    "\n"
    "create   writes OUTPUT: the stub image (the installer program), its stub record,\n"
    "         then one record per --value and --file in the order given, then the tail\n"
    "         element, then the bytes of --trailing if given.\n"
    "         --stub-name NAME  file name stored in the stub record (default: the base\n"
    "                           name of the stub PATH)\n"
    "         --stub-key KEY    key of the stub record (default: stub)\n"
    "         --value KEY VALUE an installer variable\n"
    "         --file KEY NAME PATH  the file PATH, extracted under the plain file name\n"
    "                           NAME; a non-empty KEY also becomes a variable whose value\n"
    "                           is NAME (use \"\" for no key)\n"
    "list     prints every record in file order: offset, kind, key, file name or value,\n"
    "         size, and whether every digest of the record holds.\n"
    "verify   exit status 0 only when the tail element is found and every element down\n"
    "         to the stub record checks; otherwise names the first bad element in reading\n"
    "         order (the one the installer meets first, nearest the end of the file).\n"
    "         The stub's program image is not checked, as the installer does not check it:\n"
    "         code signing changes it.\n"
    "extract  after a successful verify, writes the file records into DIR (which must\n"
    "         exist) as the installer would and prints the variables (name=value, the\n"
    "         record nearest the end winning); runs nothing.\n"
    "\n"
    "Exit status: 0 success, 1 a bad or unreadable archive or file, 2 bad arguments.\n";

struct usage_error : std::runtime_error {
    using std::runtime_error::runtime_error;
};
struct failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::string read_whole_file(const std::string& path) {
    sys::file in = sys::file::open_for_reading(path);
    if (!in.is_open()) throw failure("cannot open '" + path + "': " + sys::system_error_text(sys::last_error()));
    const std::uint64_t size = in.size();
    if (size == UINT64_MAX) throw failure("cannot get the size of '" + path + "': " + sys::system_error_text(sys::last_error()));
    if (size > reader::max_element_length) throw failure("'" + path + "' is too large for an archive element");
    std::string data(static_cast<std::size_t>(size), '\0');
    if (size > 0 && !in.read_exact(data.data(), static_cast<std::uint32_t>(size)))
        throw failure("cannot read '" + path + "': " + sys::system_error_text(sys::last_error()));
    return data;
}

void write_whole_file(const std::string& path, const std::string& data, sys::file::mode m) {
    sys::file out = sys::file::create_always(path, m);
    if (!out.is_open()) throw failure("cannot create '" + path + "': " + sys::system_error_text(sys::last_error()));
    // Large archives go out in pieces: one write call takes at most 4 GiB.
    constexpr std::size_t piece = 1u << 30;
    for (std::size_t at = 0; at < data.size(); at += piece) {
        const std::size_t n = std::min(piece, data.size() - at);
        if (!out.write(data.data() + at, static_cast<std::uint32_t>(n)))
            throw failure("cannot write '" + path + "': " + sys::system_error_text(sys::last_error()));
    }
}

std::string base_name(const std::string& path) {
    const std::size_t cut = path.find_last_of("/\\:");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

// Printable ASCII as it is; quote, backslash and other bytes escaped.
std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7f) {
            out += static_cast<char>(c);
        } else {
            out += varrow::format_text("\\x%.2X", c);
        }
    }
    return out + "\"";
}

int run_create(const std::vector<std::string>& args) {
    if (args.empty()) throw usage_error("create needs an OUTPUT file");
    const std::string output = args[0];
    std::string stub_path, stub_name, stub_key = "stub", trailing_path;
    bool have_stub_name = false;
    struct item {
        bool is_file;
        std::string key, name_or_value, path;
    };
    std::vector<item> items;
    auto need = [&](std::size_t i, std::size_t count, const std::string& option) {
        if (i + count >= args.size())
            throw usage_error(option + " needs " + std::to_string(count) + " argument" + (count > 1 ? "s" : ""));
    };
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--stub") {
            need(i, 1, a);
            stub_path = args[++i];
        } else if (a == "--stub-name") {
            need(i, 1, a);
            stub_name = args[++i];
            have_stub_name = true;
        } else if (a == "--stub-key") {
            need(i, 1, a);
            stub_key = args[++i];
        } else if (a == "--value") {
            need(i, 2, a);
            items.push_back({false, args[i + 1], args[i + 2], {}});
            i += 2;
        } else if (a == "--file") {
            need(i, 3, a);
            items.push_back({true, args[i + 1], args[i + 2], args[i + 3]});
            if (!reader::is_plain_file_name(args[i + 2]))
                throw usage_error("--file name " + quoted(args[i + 2]) +
                                  " is not a plain file name (no folders, '..' or drive); the installer would refuse it");
            i += 3;
        } else if (a == "--trailing") {
            need(i, 1, a);
            trailing_path = args[++i];
        } else {
            throw usage_error("unknown argument for create: " + quoted(a));
        }
    }
    if (stub_path.empty()) throw usage_error("create needs --stub PATH");
    if (!have_stub_name) stub_name = base_name(stub_path);

    chunkpack::archive_builder builder;
    builder.stub(read_whole_file(stub_path), stub_name, stub_key);
    for (const auto& it : items) {
        if (it.is_file)
            builder.file(it.key, it.name_or_value, read_whole_file(it.path));
        else
            builder.value(it.key, it.name_or_value);
    }
    builder.tail();
    if (!trailing_path.empty()) builder.raw(read_whole_file(trailing_path));
    write_whole_file(output, builder.bytes(), sys::file::mode::executable);
    return 0;
}

// The first element in reading order that fails, as a message; empty when
// the archive is whole.
std::string first_problem(const chunkpack::inspection& in) {
    if (!in.tail_end) return "no tail element found (searched backward from offset " + std::to_string(in.search_end) + ")";
    for (const auto& r : in.records) {
        if (const auto* bad = r.first_bad())
            return "digest does not match in the element at offset " + std::to_string(bad->offset) + " (" +
                   std::to_string(bad->length) + " bytes, " + r.kind + " record)";
    }
    if (in.unreadable_end)
        return "the element ending at offset " + std::to_string(*in.unreadable_end) +
               " cannot be read: its length points before the start of the file";
    if (!in.reached_stub) return "the archive ends without a stub record";
    return {};
}

int run_list(const std::vector<std::string>& args) {
    if (args.size() != 1) throw usage_error("list needs exactly one INSTALLER");
    const auto in = chunkpack::inspect(args[0]);
    if (!in.tail_end) {
        std::printf("no tail element found in %s\n", args[0].c_str());
        return 1;
    }
    for (auto r = in.records.rbegin(); r != in.records.rend(); ++r) {
        const auto& e = r->elements;
        std::uint64_t offset = r->offset();
        if (r->kind == "stub" && e.size() > 2 && in.stub_image_length && offset >= 20 + *in.stub_image_length)
            offset -= 20 + *in.stub_image_length;  // the image starts the record
        std::string line = varrow::format_text("%12llu  %-5s", static_cast<unsigned long long>(offset), r->kind.c_str());
        if (r->kind == "other") line += "  tag " + quoted(e[0].data);
        if (e.size() > 1) line += "  key " + quoted(e[1].data);
        if (r->kind == "value" && e.size() > 2) line += "  value " + quoted(e[2].data);
        if ((r->kind == "file" || r->kind == "stub") && e.size() > 2) line += "  name " + quoted(e[2].data);
        if (r->kind == "file" && e.size() > 3) line += "  size " + std::to_string(e[3].length);
        if (r->kind == "stub" && in.stub_image_length) line += "  size " + std::to_string(*in.stub_image_length);
        if (r->kind == "value" && e.size() > 2) line += "  size " + std::to_string(e[2].length);
        const auto* bad = r->first_bad();
        line += bad ? "  BAD DIGEST at offset " + std::to_string(bad->offset) : std::string("  ok");
        std::printf("%s\n", line.c_str());
    }
    std::printf("tail element ends at offset %llu; %llu bytes behind it\n",
                static_cast<unsigned long long>(*in.tail_end),
                static_cast<unsigned long long>(in.file_size - *in.tail_end));
    const std::string problem = first_problem(in);
    if (!problem.empty()) {
        std::printf("%s\n", problem.c_str());
        return 1;
    }
    return 0;
}

int run_verify(const std::vector<std::string>& args) {
    if (args.size() != 1) throw usage_error("verify needs exactly one INSTALLER");
    const std::string problem = first_problem(chunkpack::inspect(args[0]));
    if (!problem.empty()) {
        std::fprintf(stderr, "chunkpack: %s: %s\n", args[0].c_str(), problem.c_str());
        return 1;
    }
    std::printf("%s: archive is whole\n", args[0].c_str());
    return 0;
}

int run_extract(const std::vector<std::string>& args) {
    if (args.size() != 2) throw usage_error("extract needs an INSTALLER and a DIR");
    const auto in = chunkpack::inspect(args[0]);
    const std::string problem = first_problem(in);
    if (!problem.empty()) throw failure(args[0] + ": " + problem + "; nothing extracted");
    std::string dir = args[1];
    if (!dir.empty() && dir.back() != '/' && dir.back() != '\\') dir += '/';

    // Same order as the installer: the record nearest the end first; the
    // first value a name gets is kept.
    reader::variable_store variables;
    sys::file archive = sys::file::open_for_reading(args[0]);
    if (!archive.is_open())
        throw failure("cannot open '" + args[0] + "': " + sys::system_error_text(sys::last_error()));
    std::vector<char> buffer;
    for (const auto& r : in.records) {
        const auto& e = r.elements;
        if (r.kind == "value") {
            variables.insert_first(e[1].data, e[2].data);
        } else if (r.kind == "file") {
            const std::string& name = e[2].data;
            if (!e[1].data.empty()) variables.insert_first(e[1].data, name);
            if (!reader::is_plain_file_name(name))
                throw failure("file name " + quoted(name) + " is not a plain file name; the installer refuses it");
            const std::string target = dir + name;
            sys::file out = sys::file::create_always(target, sys::file::mode::executable);
            if (!out.is_open())
                throw failure("cannot create '" + target + "': " + sys::system_error_text(sys::last_error()));
            bool written = false;
            if (!reader::copy_span(archive, reader::element_span{e[3].offset, e[3].length}, out, buffer, &written))
                throw failure("cannot read '" + args[0] + "': " + sys::system_error_text(sys::last_error()));
            if (!written) throw failure("cannot write '" + target + "': " + sys::system_error_text(sys::last_error()));
            std::printf("wrote %s (%u bytes)\n", (dir + name).c_str(), e[3].length);
        }
    }
    for (const auto& [name, value] : variables.entries()) std::printf("%s=%s\n", name.c_str(), value.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (args.empty()) throw usage_error("no command given");
        if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
            std::fputs(usage_text, stdout);
            return 0;
        }
        const std::string command = args[0];
        args.erase(args.begin());
        if (command == "create") return run_create(args);
        if (command == "list") return run_list(args);
        if (command == "verify") return run_verify(args);
        if (command == "extract") return run_extract(args);
        throw usage_error("unknown command '" + command + "'");
    } catch (const usage_error& e) {
        std::fprintf(stderr, "chunkpack: %s\nRun 'chunkpack --help' for the usage.\n", e.what());
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "chunkpack: %s\n", e.what());
        return 1;
    }
}
