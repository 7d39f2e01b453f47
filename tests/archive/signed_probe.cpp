// signed_probe INSTALLER FOLDER: runs the installer's archive reader on
// INSTALLER with FOLDER as working folder and prints archive_valid and the
// variable "origin". Exit status 0 when the archive was valid. Used by the
// chunkpack script test on a code-signed installer.
#include <cstdio>
#include <string>

#include "reader/archive/read_archive.h"
#include "reader/process_state.h"
#include "varrow/ui/recording.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: signed_probe INSTALLER FOLDER\n");
        return 2;
    }
    namespace r = tarnwick::reader;
    r::working_folder = std::string(argv[2]) + "/";
    r::read_archive(argv[1]);
    const std::string* origin = r::installer_variables.find_value("origin");
    std::printf("archive_valid=%d\norigin=%s\n", r::archive_valid ? 1 : 0, origin ? origin->c_str() : "<absent>");
    for (const auto& b : varrow::ui::recording::boxes()) std::printf("box: %s\n", b.caption.c_str());
    return r::archive_valid ? 0 : 1;
}
