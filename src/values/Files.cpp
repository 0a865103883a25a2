// The POSIX side of the file operations.
#include "Files.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

const char kPathSeparator[] = "/";

namespace {

Text ExecutableDirectory() {
    std::string path(4096, '\0');
    ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0)
        return Text();
    path.resize(static_cast<size_t>(length));
    size_t separator = path.rfind('/');
    if (separator == std::string::npos)
        return Text();
    path.resize(separator);
    return Text(std::move(path));
}

// Directory searches know two wildcards: * for any run of characters, ? for one.
bool MatchesWildcard(std::string_view pattern, std::string_view name) {
    size_t p = 0, n = 0, starAt = std::string_view::npos, resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starAt = p++;
            resumeAt = n;
        } else if (starAt != std::string_view::npos) {
            p = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

struct DirectoryCloser {
    void operator()(DIR* directory) const { ::closedir(directory); }
};

bool AnyEntryMatches(const std::string& directory, std::string_view pattern) {
    std::unique_ptr<DIR, DirectoryCloser> listing(::opendir(directory.c_str()));
    if (!listing)
        return false;
    while (dirent* entry = ::readdir(listing.get())) {
        std::string_view name = entry->d_name;
        if (MatchesWildcard(pattern, name))
            return true;
    }
    return false;
}

bool WriteAll(int descriptor, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes.remove_prefix(static_cast<size_t>(written));
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
        (void)::chdir(directory.CString());
}

bool FileExists(const Text& path) {
    std::string_view whole = path.View();
    if (whole.empty())
        return false;
    size_t separator = whole.rfind('/');
    std::string_view last = separator == std::string_view::npos ? whole : whole.substr(separator + 1);
    if (last.find_first_of("*?") == std::string_view::npos) {
        struct stat status;
        return ::stat(path.CString(), &status) == 0;
    }
    std::string directory = separator == std::string_view::npos ? std::string(".")
                            : separator == 0 ? std::string("/")
                                             : std::string(whole.substr(0, separator));
    return AnyEntryMatches(directory, last);
}

bool WriteFileBytes(const Text& path, std::initializer_list<const Bytes*> pieces) {
    if (path.IsEmpty())
        return false;
    int descriptor = ::open(path.CString(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (descriptor < 0)
        return false;
    bool written = true;
    for (const Bytes* piece : pieces) {
        if (piece && !piece->IsEmpty() && !WriteAll(descriptor, piece->View())) {
            written = false;
            break;
        }
    }
    bool closed = ::close(descriptor) == 0;
    return written && closed;
}
