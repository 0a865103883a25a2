// Keeping gzip.dll beside the executable: written from the carried image when it is missing.
#pragma once

#include "values/Text.h"

// Writes GzipLibraryImage() to RunDirectory() + "/gzip.dll" when no file of that name is
// there. A file that is there is used as it is, whatever it holds. A write that fails is
// silent: the lack shows only when a body has to be decoded.
void EnsureGzipLibrary();

// The same for the library file at `path`.
void EnsureGzipLibraryAt(const Text& path);
