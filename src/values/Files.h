// The file system as the program sees it: its own directory, existence tests and whole-file writes.
#pragma once

#include "Bytes.h"
#include "Text.h"

#include <initializer_list>

// Records the executable's directory for RunDirectory and makes it the current directory.
void InitialiseProcess();

// The directory that holds the running executable, without a trailing separator.
Text RunDirectory();

// The separator that joins RunDirectory and a file name on this platform.
extern const char kPathSeparator[];

// True when a directory search for the path finds an entry: a directory counts, and a
// pattern with * or ? counts when any entry matches. An empty path gives false.
bool FileExists(const Text& path);

// Creates or empties the file, writes every non-empty piece in order and closes it.
bool WriteFileBytes(const Text& path, std::initializer_list<const Bytes*> pieces);
inline bool WriteFileBytes(const Text& path, const Bytes& data) {
    return WriteFileBytes(path, {&data});
}
