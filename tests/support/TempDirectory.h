// A fresh directory under /tmp for one test's files, removed with everything in it.
#pragma once

#include <string>
#include <string_view>

class TempDirectory {
public:
    TempDirectory();
    ~TempDirectory();
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    const std::string& Path() const { return m_path; }
    // Path() + "/" + name.
    std::string File(std::string_view name) const;
    // Writes the bytes to the file of that name (subdirectories are made), returns its path.
    std::string Write(std::string_view name, std::string_view bytes) const;

private:
    std::string m_path;
};
