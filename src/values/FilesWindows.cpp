// The Windows side of the file operations, on the ANSI calls of the system's code page.
#include "Files.h"

#include <windows.h>

#include <algorithm>
#include <string>

const char kPathSeparator[] = "\\";

namespace {

// Where the last "\" stands, reading the path by characters: a byte from 0x80 leads a
// two-byte character whose second byte may be 0x5C without being a separator.
std::string::size_type LastSeparator(std::string_view path) {
    std::string::size_type last = std::string::npos;
    for (std::string::size_type i = 0; i < path.size(); ++i) {
        if (path[i] == '\\')
            last = i;
        else if (static_cast<unsigned char>(path[i]) >= 0x80)
            ++i;
    }
    return last;
}

std::string ExecutablePath() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        DWORD length = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return std::string();
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

Text ExecutableDirectory() {
    std::string path = ExecutablePath();
    std::string::size_type separator = LastSeparator(path);
    if (separator == std::string::npos)
        return Text();
    path.resize(separator);
    return Text(std::move(path));
}

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0)
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}

} // namespace

Text RunDirectory() {
    static const Text directory = ExecutableDirectory();
    return directory;
}

void InitialiseProcess() {
    Text directory = RunDirectory();
    if (!directory.IsEmpty())
        ::SetCurrentDirectoryA(directory.CString());
}

bool FileExists(const Text& path) {
    if (path.IsEmpty())
        return false;
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA(path.CString(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    ::FindClose(search);
    return true;
}

bool WriteFileBytes(const Text& path, std::initializer_list<const Bytes*> pieces) {
    if (path.IsEmpty())
        return false;
    HANDLE file = ::CreateFileA(path.CString(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool written = true;
    for (const Bytes* piece : pieces) {
        if (piece && !piece->IsEmpty() && !WriteAll(file, piece->View())) {
            written = false;
            break;
        }
    }
    bool closed = ::CloseHandle(file) != 0;
    return written && closed;
}
