#include "tools/chunkpack/archive_writer.h"

#include <stdexcept>

#include "reader/archive/archive_format.h"
#include "reader/archive/md5.h"

namespace tarnwick::chunkpack {

std::string element(std::string_view data) {
    if (data.size() > reader::max_element_length)
        throw std::length_error("element of " + std::to_string(data.size()) + " bytes is too large for the archive");
    std::string out;
    out.reserve(data.size() + reader::element_overhead);
    out.append(data);
    const auto n = static_cast<std::uint32_t>(data.size());
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(n >> (8 * i)));
    out.append(reader::md5(data).digest());
    return out;
}

archive_builder& archive_builder::stub(std::string_view image, std::string_view name, std::string_view key) {
    add_element(image);
    add_element(name);
    add_element(key);
    return add_element(reader::tag_stub);
}

archive_builder& archive_builder::value(std::string_view key, std::string_view text) {
    add_element(text);
    add_element(key);
    return add_element(reader::tag_value);
}

archive_builder& archive_builder::file(std::string_view key, std::string_view name, std::string_view contents) {
    add_element(contents);
    add_element(name);
    add_element(key);
    return add_element(reader::tag_file);
}

archive_builder& archive_builder::record(std::string_view tag, std::string_view key) {
    add_element(key);
    return add_element(tag);
}

archive_builder& archive_builder::add_element(std::string_view data) {
    bytes_ += element(data);
    return *this;
}

archive_builder& archive_builder::tail() { return add_element(reader::tail_marker()); }

archive_builder& archive_builder::raw(std::string_view bytes) {
    bytes_.append(bytes);
    return *this;
}

}  // namespace tarnwick::chunkpack
