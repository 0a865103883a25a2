// The Windows side of temporary files: exclusive creation, a replacing move and deletion.
#include "TemporaryFile.h"

#include "values/Values.h"

#include <windows.h>

#include <string>

namespace {

// The process id keeps processes apart; the attempt number keeps apart the threads of one
// process and skips names left over by a process that died with the same id. Past this
// many names taken, the directory is taken to be unusable.
constexpr int kNameAttempts = 100;

Text CandidateName(const Text& path, int attempt) {
    std::string suffix = ".";
    suffix += std::to_string(::GetCurrentProcessId());
    suffix += '.';
    suffix += std::to_string(attempt);
    suffix += ".tmp";
    return ConcatText(path, suffix.c_str());
}

} // namespace

Text CreateTemporaryFileBeside(const Text& path) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        Text candidate = CandidateName(path, attempt);
        HANDLE file = ::CreateFileA(candidate.CString(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            ::CloseHandle(file);
            return candidate;
        }
        DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            return Text();
    }
    return Text();
}

bool MoveFileIntoPlace(const Text& from, const Text& to) {
    return ::MoveFileExA(from.CString(), to.CString(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void RemoveFile(const Text& path) {
    ::DeleteFileA(path.CString());
}
