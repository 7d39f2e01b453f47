#include <gtest/gtest.h>

#include <sys/stat.h>

#include "fixture.h"
#include "reader/archive/read_archive.h"
#include "reader/process_state.h"
#include "tools/chunkpack/archive_writer.h"

namespace {

using namespace archive_test;

class ExtractedModes : public temp_folder_test {};

TEST_F(ExtractedModes, ExtractedFilesAreOwnerExecutable) {
    // The archive carries no modes; the setup program and the report tool
    // must be runnable. A file that existed with other bits is replaced too.
    write_file(work() / "post.exe", "old");
    ::chmod((work() / "post.exe").c_str(), 0644);
    tarnwick::chunkpack::archive_builder b;
    b.stub(noise(100), "Reader.exe", "stub").file("post", "post.exe", "P").file("executable", "setup.exe", "S").tail();
    write_file(root_ / "installer", b.bytes());
    const mode_t old_mask = ::umask(022);
    tarnwick::reader::read_archive((root_ / "installer").string());
    ::umask(old_mask);
    for (const char* name : {"post.exe", "setup.exe"}) {
        struct stat st {};
        ASSERT_EQ(::stat((work() / name).c_str(), &st), 0) << name;
        EXPECT_EQ(st.st_mode & 07777, 0700u) << name;
    }
    EXPECT_EQ(read_file(work() / "post.exe"), "P");
}

}  // namespace
