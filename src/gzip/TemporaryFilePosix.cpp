// The POSIX side of temporary files: exclusive creation, rename and unlink.
#include "TemporaryFile.h"

#include "values/Values.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

// The process id keeps processes apart; the attempt number keeps apart the threads of one
// process and skips names left over by a process that died with the same id. Past this
// many names taken, the directory is taken to be unusable.
constexpr int kNameAttempts = 100;

Text CandidateName(const Text& path, int attempt) {
    std::string suffix = "." + std::to_string(::getpid()) + "." + std::to_string(attempt) + ".tmp";
    return ConcatText(path, suffix.c_str());
}

} // namespace

Text CreateTemporaryFileBeside(const Text& path) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        Text candidate = CandidateName(path, attempt);
        int descriptor = ::open(candidate.CString(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (descriptor >= 0) {
            ::close(descriptor);
            return candidate;
        }
        if (errno != EEXIST)
            return Text();
    }
    return Text();
}

bool MoveFileIntoPlace(const Text& from, const Text& to) {
    return std::rename(from.CString(), to.CString()) == 0;
}

void RemoveFile(const Text& path) {
    (void)::unlink(path.CString());
}
