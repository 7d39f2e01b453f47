#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "fixture.h"
#include "reader/archive/archive_format.h"
#include "reader/archive/messages.h"
#include "reader/archive/read_archive.h"
#include "reader/process_state.h"
#include "tools/chunkpack/archive_writer.h"
#include "varrow/system/file.h"
#include "varrow/ui/recording.h"

namespace {

using namespace archive_test;
namespace r = tarnwick::reader;
using tarnwick::chunkpack::archive_builder;
using varrow::ui::recording::box;

const std::string stub_image = noise(3000, 1);
const std::string post_bytes = noise(5000, 2);
const std::string setup_bytes = noise(7000, 3);

box invalid_archive_box() { return box{false, r::invalid_archive_text(), "Invalid Archive!"}; }

class ReadArchive : public temp_folder_test {
protected:
    std::string installer() const { return (root_ / "installer.exe").string(); }
    void run(const std::string& bytes) {
        write_file(installer(), bytes);
        r::read_archive(installer());
    }
    const std::vector<box>& boxes() const { return varrow::ui::recording::boxes(); }
    static std::string var(const std::string& name) {
        const std::string* v = r::installer_variables.find_value(name);
        return v ? *v : "<absent>";
    }
    bool extracted(const std::string& name) const { return fs::exists(work() / name); }
};

// The shipped shape, with the offset of every element's first byte kept by
// name: stub, post's file record, parameters, the setup program, tail.
struct standard_archive {
    archive_builder b;
    std::map<std::string, std::size_t> at;
    void element(const std::string& label, const std::string& data) {
        at[label] = b.size();
        b.add_element(data);
    }
    standard_archive() {
        element("stub.image", stub_image);
        element("stub.name", "Reader.exe");
        element("stub.key", "stub");
        element("stub.tag", "stub");
        element("post.contents", post_bytes);
        element("post.name", "post.exe");
        element("post.key", "post");
        element("post.tag", "file");
        element("parameters.value", "/q %source%");
        element("parameters.key", "parameters");
        element("parameters.tag", "value");
        element("setup.contents", setup_bytes);
        element("setup.name", "setup.exe");
        element("setup.key", "executable");
        element("setup.tag", "file");
        element("tail", std::string(r::tail_marker()));
    }
    std::size_t length_field(const std::string& label, std::size_t data_size) const { return at.at(label) + data_size; }
};

TEST_F(ReadArchive, WholeArchiveWritesFilesAndValues) {
    standard_archive a;
    r::installer_variables.value_of("source") = "S";
    run(a.b.bytes());
    EXPECT_TRUE(boxes().empty());
    EXPECT_TRUE(r::archive_valid);
    EXPECT_EQ(read_file(work() / "post.exe"), post_bytes);
    EXPECT_EQ(read_file(work() / "setup.exe"), setup_bytes);
    EXPECT_FALSE(extracted("Reader.exe"));
    EXPECT_EQ(var("post"), "post.exe");
    EXPECT_EQ(var("executable"), "setup.exe");
    EXPECT_EQ(var("parameters"), "/q %source%");  // stored as it is; expanded on use
    EXPECT_EQ(var("stub"), "<absent>");
    EXPECT_EQ(r::installer_variables.expand(var("parameters")), "/q S");
}

TEST_F(ReadArchive, LargeFilesAcrossSeveralBlocks) {
    // Contents longer than the block in which they are digested and copied:
    // whole, and with one byte wrong in the last, partial block.
    const std::size_t size = 2 * r::stream_block + 12345;
    const std::string big = noise(size, 40);
    for (std::size_t flip : {std::size_t(0), size - 1, std::size_t(r::stream_block), std::size_t(-1)}) {
        SCOPED_TRACE(flip);
        TearDown();
        SetUp();
        archive_builder b;
        b.stub(stub_image, "Reader.exe", "stub").file("", "exact.bin", noise(r::stream_block, 41));
        const std::size_t at = b.size();
        b.file("big", "big.bin", big).value("late", "1").tail();
        std::string bytes = b.bytes();
        if (flip != std::size_t(-1)) bytes[at + flip] = static_cast<char>(bytes[at + flip] ^ 0x40);
        run(bytes);
        if (flip == std::size_t(-1)) {
            EXPECT_TRUE(boxes().empty());
            EXPECT_TRUE(r::archive_valid);
            EXPECT_EQ(read_file(work() / "big.bin"), big);
            EXPECT_EQ(read_file(work() / "exact.bin"), noise(r::stream_block, 41));
        } else {
            EXPECT_EQ(boxes(), std::vector<box>{invalid_archive_box()});
            EXPECT_FALSE(r::archive_valid);
            EXPECT_FALSE(extracted("big.bin"));  // nothing of that record is written
            EXPECT_FALSE(extracted("exact.bin"));
            EXPECT_EQ(var("big"), "<absent>");
        }
        EXPECT_EQ(var("late"), "1");
    }
}

TEST_F(ReadArchive, CorruptedElementStopsAtIt) {
    // records_done: records read in full before the bad element, in reading
    // order (setup program, parameters, post).
    struct row {
        const char* label;
        bool in_digest;  // flip a digest byte instead of a data byte
        bool box_shown;
        bool valid;
        int records_done;
    } rows[] = {
        {"tail", true, true, false, 0},
        {"setup.tag", false, true, false, 0},
        {"setup.key", false, true, false, 0},
        {"setup.name", false, true, false, 0},
        {"setup.contents", false, true, false, 0},
        {"setup.contents", true, true, false, 0},
        {"parameters.tag", false, true, false, 1},
        {"parameters.key", true, true, false, 1},
        {"parameters.value", false, true, false, 1},
        {"post.tag", false, true, false, 2},
        {"post.key", false, true, false, 2},
        {"post.name", false, true, false, 2},
        {"post.contents", false, true, false, 2},
        {"stub.tag", false, true, false, 3},
        {"stub.key", false, true, false, 3},
        // The stub's name and image are never read.
        {"stub.name", false, false, true, 3},
        {"stub.image", false, false, true, 3},
    };
    const std::map<std::string, std::size_t> sizes = {
        {"tail", 22}, {"setup.tag", 4}, {"setup.key", 10}, {"setup.name", 9}, {"setup.contents", setup_bytes.size()},
        {"parameters.tag", 5}, {"parameters.key", 10}, {"parameters.value", 11}, {"post.tag", 4}, {"post.key", 4},
        {"post.name", 8}, {"post.contents", post_bytes.size()}, {"stub.tag", 4}, {"stub.key", 4}, {"stub.name", 10},
        {"stub.image", stub_image.size()}};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.label) + (row.in_digest ? " (digest)" : " (data)"));
        TearDown();
        SetUp();
        standard_archive a;
        std::string bytes = a.b.bytes();
        const std::size_t where = a.at.at(row.label) + (row.in_digest ? sizes.at(row.label) + 4 + 5 : 1);
        bytes[where] = static_cast<char>(bytes[where] ^ 0x01);
        run(bytes);
        if (row.box_shown) {
            EXPECT_EQ(boxes(), std::vector<box>{invalid_archive_box()});
        } else {
            EXPECT_TRUE(boxes().empty());
        }
        EXPECT_EQ(r::archive_valid, row.valid);
        EXPECT_EQ(extracted("setup.exe"), row.records_done >= 1);
        EXPECT_EQ(var("executable"), row.records_done >= 1 ? "setup.exe" : "<absent>");
        EXPECT_EQ(var("parameters"), row.records_done >= 2 ? "/q %source%" : "<absent>");
        EXPECT_EQ(extracted("post.exe"), row.records_done >= 3);
    }
}

TEST_F(ReadArchive, LengthPointingBeforeTheStartStopsSilently) {
    // Garbage where the stub record should be: an element end whose length
    // field points before the start of the file (or would overflow a 32-bit
    // n + 4). Reading stops without a message; the tail was read, so the
    // archive counts as valid.
    const std::size_t prefix = 100;
    for (std::uint32_t length : {101u, 1000u, 0x7FFFFFFBu, 0x7FFFFFFCu, 0x80000000u, 0xFFFFFFECu, 0xFFFFFFFCu, 0xFFFFFFFFu}) {
        SCOPED_TRACE(length);
        TearDown();
        SetUp();
        std::string garbage = noise(prefix, 9);
        for (int i = 0; i < 4; ++i) garbage.push_back(static_cast<char>(length >> (8 * i)));
        garbage += noise(16, 10);
        archive_builder b;
        b.raw(garbage).value("parameters", "/x").tail();
        run(b.bytes());
        EXPECT_TRUE(boxes().empty());
        EXPECT_TRUE(r::archive_valid);
        EXPECT_EQ(var("parameters"), "/x");
    }
}

TEST_F(ReadArchive, DamagedLengthIsCheckedBeforeAnythingIsAllocated) {
    for (std::uint32_t length : {0x7FFFFFF0u, 0xFFFFFFFCu, 0xFFFFFFFFu}) {
        SCOPED_TRACE(length);
        std::string bytes = noise(64, 4);
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>(length >> (8 * i)));
        bytes += noise(16, 5);
        write_file(root_ / "element.bin", bytes);
        auto f = varrow::system::file::open_for_reading((root_ / "element.bin").string());
        ASSERT_TRUE(f.is_open());
        ASSERT_TRUE(f.seek_to(bytes.size()));
        std::string data;
        EXPECT_EQ(r::read_element_raw(f, data), r::element_status::unreadable);
        EXPECT_LT(data.capacity(), 1024u);
        EXPECT_FALSE(r::read_element(f, data));
        EXPECT_TRUE(boxes().empty());
    }
}

TEST_F(ReadArchive, TruncatedFiles) {
    standard_archive a;
    const std::string whole = a.b.bytes();
    struct row {
        std::size_t cut;
        const char* caption;  // box shown by the reader, or nullptr
    } rows[] = {
        {19, nullptr},                          // marker still tested; its element runs past the end
        {20, "Failed to initialize archive!"},  // marker now in the last 22 bytes: never tested
        {42, "Failed to initialize archive!"},
        {42 + 30, "Failed to initialize archive!"},
        {whole.size() - stub_image.size() - 10, "Failed to initialize archive!"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.cut);
        TearDown();
        SetUp();
        run(whole.substr(0, whole.size() - row.cut));
        if (row.caption) {
            ASSERT_EQ(boxes().size(), 1u);
            EXPECT_EQ(boxes()[0].caption, row.caption);
            EXPECT_EQ(boxes()[0].text.rfind("File: " + installer() + "\rError: ", 0), 0u) << boxes()[0].text;
        } else {
            EXPECT_TRUE(boxes().empty());
        }
        EXPECT_FALSE(r::archive_valid);
        EXPECT_FALSE(extracted("setup.exe"));
    }
}

TEST_F(ReadArchive, MarkerOnlyInsideTheStubImage) {
    // A truncated download of an installer whose program image holds the
    // marker text (as the real one does): the element "found" there fails.
    const std::string image = noise(500, 11) + std::string(r::tail_marker()) + std::string(20, '\0') + noise(300, 12);
    archive_builder b;
    b.stub(image, "Reader.exe", "stub").file("executable", "setup.exe", setup_bytes).tail();
    const std::string whole = b.bytes();
    run(whole.substr(0, image.size() + 2000));
    EXPECT_EQ(boxes(), std::vector<box>{invalid_archive_box()});
    EXPECT_FALSE(r::archive_valid);
    EXPECT_FALSE(extracted("setup.exe"));
}

TEST_F(ReadArchive, TrailingDataIsSkipped) {
    const std::string partial = std::string(r::tail_marker().substr(0, 21));
    std::string partials;
    while (partials.size() < 8192) partials += partial + "x" + std::string(r::tail_marker().substr(1));
    const std::string trailing_cases[] = {
        "", "x", std::string(21, 'z'), std::string(r::tail_marker()),  // marker in the last 22 bytes: not tested
        noise(8192, 13), partials, noise(200000, 14)};
    for (const auto& trailing : trailing_cases) {
        SCOPED_TRACE(trailing.size());
        TearDown();
        SetUp();
        standard_archive a;
        a.b.raw(trailing);
        run(a.b.bytes());
        EXPECT_TRUE(boxes().empty());
        EXPECT_TRUE(r::archive_valid);
        EXPECT_EQ(read_file(work() / "post.exe"), post_bytes);
        EXPECT_EQ(var("parameters"), "/q %source%");
    }
}

TEST_F(ReadArchive, RecordShapes) {
    // Each archive, after the stub record and before the tail, and the
    // variables and files it must give.
    struct row {
        const char* what;
        std::function<void(archive_builder&)> records;
        std::map<std::string, std::string> variables;  // "<absent>" for none
        std::map<std::string, std::string> files;      // "<absent>" for none
    };
    const std::vector<row> rows = {
        {"second tail element in the middle",
         [](archive_builder& b) { b.value("early", "1").tail().value("late", "2"); },
         {{"early", "1"}, {"late", "2"}},
         {}},
        {"unknown tags skip their key only",
         [](archive_builder& b) {
             b.value("early", "1").record("xyz", "k1").record("File", "k2").record("", "k3").record("stubs", "k4");
         },
         {{"early", "1"}, {"k1", "<absent>"}, {"k2", "<absent>"}, {"k3", "<absent>"}, {"k4", "<absent>"}},
         {}},
        {"empty elements",
         [](archive_builder& b) { b.value("", "").value("empty", "").file("", "empty.txt", ""); },
         {{"", ""}, {"empty", ""}},
         {{"empty.txt", ""}}},
        {"empty key on a file sets no variable",
         [](archive_builder& b) { b.file("", "readme.txt", "hello"); },
         {{"", "<absent>"}},
         {{"readme.txt", "hello"}}},
        {"duplicate keys: nearest the end wins",
         [](archive_builder& b) {
             b.value("k", "first").file("post", "a.exe", "A").value("k", "second").file("post", "b.exe", "B");
         },
         {{"k", "second"}, {"post", "b.exe"}},
         {{"a.exe", "A"}, {"b.exe", "B"}}},
        {"same file name twice: the record nearer the start is written last",
         [](archive_builder& b) { b.file("", "x.txt", "first").file("", "x.txt", "second"); },
         {},
         {{"x.txt", "first"}}},
        {"source and commandline cannot be given by the archive",
         [](archive_builder& b) { b.value("source", "evil").file("commandline", "c.txt", "c"); },
         {{"source", "S"}, {"commandline", "/c"}},
         {{"c.txt", "c"}}},
        {"values hold any bytes",
         [](archive_builder& b) { b.value(std::string("k\0ey", 4), std::string("v\0\xff", 3)); },
         {{std::string("k\0ey", 4), std::string("v\0\xff", 3)}},
         {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        TearDown();
        SetUp();
        r::installer_variables.value_of("source") = "S";
        r::installer_variables.value_of("commandline") = "/c";
        archive_builder b;
        b.stub(stub_image, "Reader.exe", "stub");
        row.records(b);
        b.tail();
        run(b.bytes());
        EXPECT_TRUE(boxes().empty());
        EXPECT_TRUE(r::archive_valid);
        for (const auto& [name, value] : row.variables) EXPECT_EQ(var(name), value) << "variable " << name;
        for (const auto& [name, contents] : row.files) {
            ASSERT_TRUE(extracted(name)) << name;
            EXPECT_EQ(read_file(work() / name), contents) << name;
        }
    }
}

TEST_F(ReadArchive, TargetThatCannotBeCreatedStopsReading) {
    fs::create_directories(work() / "blocked.exe");
    archive_builder b;
    b.stub(stub_image, "Reader.exe", "stub")
        .file("early", "early.txt", "e")
        .file("b", "blocked.exe", "B")
        .value("late", "x")
        .tail();
    run(b.bytes());
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0].caption, "Failed to extract file!");
    const std::string prefix = "File: " + r::working_folder + "blocked.exe\rError: ";
    EXPECT_EQ(boxes()[0].text.rfind(prefix, 0), 0u) << boxes()[0].text;
    EXPECT_GT(boxes()[0].text.size(), prefix.size());
    EXPECT_TRUE(r::archive_valid);
    EXPECT_EQ(var("late"), "x");
    EXPECT_EQ(var("b"), "blocked.exe");
    EXPECT_EQ(var("early"), "<absent>");
    EXPECT_FALSE(extracted("early.txt"));
}

TEST_F(ReadArchive, FileNamesThatLeaveTheWorkingFolderAreRefused) {
    const std::string names[] = {"../evil.exe", "..\\evil.exe", "sub/evil.exe", "sub\\evil.exe", "C:evil.exe",
                                 "C:\\evil.exe", "/evil.exe", "\\\\server\\share\\evil.exe", "..", ".", "",
                                 // Names Windows turns into another file or a device.
                                 "setup.exe.", "setup.exe ", "CON", "nul.txt", "Com1", "lpt9.log", "aux .x"};
    for (const auto& name : names) {
        SCOPED_TRACE(name);
        TearDown();
        SetUp();
        fs::create_directories(work() / "sub");
        archive_builder b;
        b.stub(stub_image, "Reader.exe", "stub").value("early", "1").file("executable", name, "EVIL").value("late", "2").tail();
        run(b.bytes());
        const box expected{false,
                           "File: " + r::working_folder + name + "\rError: " +
                               varrow::system::system_error_text(varrow::system::invalid_name_error()),
                           "Failed to extract file!"};
        EXPECT_EQ(boxes(), std::vector<box>{expected});
        EXPECT_TRUE(r::archive_valid);
        EXPECT_EQ(var("late"), "2");
        EXPECT_EQ(var("early"), "<absent>");
        EXPECT_FALSE(fs::exists(root_ / "evil.exe"));
        EXPECT_FALSE(fs::exists(work() / "sub" / "evil.exe"));
        std::size_t in_work = 0;
        for ([[maybe_unused]] const auto& e : fs::recursive_directory_iterator(root_)) ++in_work;
        EXPECT_EQ(in_work, 3u);  // installer.exe, work, work/sub
    }
}

TEST_F(ReadArchive, OwnFileThatCannotBeOpened) {
    const std::string missing = (root_ / "missing.exe").string();
    r::read_archive(missing);
    // 2 is "file not found" on both platforms (ERROR_FILE_NOT_FOUND, ENOENT).
    const box expected{false, "File: " + missing + "\rError: " + varrow::system::system_error_text(2),
                       "Failed to open archive!"};
    EXPECT_EQ(boxes(), std::vector<box>{expected});
    EXPECT_FALSE(r::archive_valid);
}

TEST_F(ReadArchive, FileWithoutMarker) {
    for (std::size_t size : {0u, 10u, 45u, 46u, 5000u}) {
        SCOPED_TRACE(size);
        varrow::ui::recording::reset();
        run(noise(size, 15));
        ASSERT_EQ(boxes().size(), 1u);
        EXPECT_EQ(boxes()[0].caption, "Failed to initialize archive!");
        EXPECT_EQ(boxes()[0].text.rfind("File: " + installer() + "\rError: ", 0), 0u);
        EXPECT_FALSE(r::archive_valid);
    }
}

}  // namespace
