// Writes the seed installers of fuzz_archive into the folder named by its
// argument: small stub images with the records a real installer carries,
// and a few damaged ones that lead into the reader's error paths.

#include <cstdio>
#include <fstream>
#include <string>

#include "tools/chunkpack/archive_writer.h"

using tarnwick::chunkpack::archive_builder;

namespace {

// A stand-in for the installer program: the start of a PE image.
std::string stub_image() {
    std::string image = "MZ";
    image.resize(0x40, '\0');
    image[0x3C] = static_cast<char>(0x40);
    image += std::string("PE\0\0", 4);
    image.resize(160, '\x90');
    return image;
}

bool write(const std::string& folder, const char* name, const std::string& bytes) {
    std::ofstream out(folder + "/" + name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return out.good();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_archive_seeds FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    bool ok = true;

    archive_builder installer;
    installer.stub(stub_image(), "reader.exe", "stub")
        .value("parameters", "/s /lang %commandline%")
        .file("post", "post.exe", "MZ post tool")
        .file("executable", "setup.exe", "MZ setup program")
        .file("", "data.cab", std::string("MSCF\0\0\0\0", 8))
        .tail();
    ok &= write(folder, "installer", installer.bytes());

    // Signed installers end with bytes that follow the tail.
    archive_builder trailing = installer;
    trailing.raw(std::string(24, '\0') + "chunked-installer-tail");
    ok &= write(folder, "trailing_bytes", trailing.bytes());

    // Names that must not leave the working folder.
    archive_builder names;
    names.stub(stub_image(), "reader.exe", "stub")
        .file("", "..", "x")
        .file("executable", "../escape.exe", "x")
        .file("", "sub/dir.txt", "x")
        .file("", "c:evil", "x")
        .tail();
    ok &= write(folder, "hostile_names", names.bytes());

    // A record of an unknown tag, a value twice, an empty file name.
    archive_builder odd;
    odd.stub(stub_image(), "reader.exe", "stub")
        .value("executable", "first.exe")
        .record("note", "ignored")
        .value("executable", "second.exe")
        .file("", "", "")
        .tail();
    ok &= write(folder, "odd_records", odd.bytes());

    // A damaged digest in the middle of the records.
    std::string damaged = installer.bytes();
    damaged[damaged.size() / 2] ^= 0x20;
    ok &= write(folder, "damaged_digest", damaged);

    return ok ? 0 : 1;
}
