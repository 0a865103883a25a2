// Writing gzip.dll out of the program when it is missing.
#include "EnsureGzipLibrary.h"

#include "GzipLibraryImage.h"
#include "TemporaryFile.h"
#include "values/Files.h"
#include "values/Values.h"

void EnsureGzipLibrary() {
    EnsureGzipLibraryAt(ConcatText(RunDirectory(), kPathSeparator, "gzip.dll"));
}

void EnsureGzipLibraryAt(const Text& path) {
    if (FileExists(path))
        return;
    // Written aside and renamed into place: a loader in this process or in another one that
    // starts at the same moment finds the library either absent or whole, never cut short.
    Text temporary = CreateTemporaryFileBeside(path);
    if (temporary.IsEmpty())
        return;
    if (!WriteFileBytes(temporary, GzipLibraryImage()) || !MoveFileIntoPlace(temporary, path))
        RemoveFile(temporary);
}
