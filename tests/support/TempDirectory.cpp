// Making, filling and removing a test's temporary directory.
#include "TempDirectory.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

TempDirectory::TempDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quandrel-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a temporary directory");
    m_path = pattern;
}

TempDirectory::~TempDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::string TempDirectory::File(std::string_view name) const {
    return m_path + "/" + std::string(name);
}

std::string TempDirectory::Write(std::string_view name, std::string_view bytes) const {
    std::filesystem::path path = File(name);
    std::filesystem::create_directories(path.parent_path());
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file)
        throw std::runtime_error("cannot write " + path.string());
    return path.string();
}
