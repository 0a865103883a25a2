// Loading a shared library and finding its functions by name: the platform's part of binding
// gzip.dll (dlopen and dlsym here; LoadLibraryA and GetProcAddress on Windows).
#pragma once

using SharedLibraryHandle = void*;
using SharedLibraryFunction = void (*)();

// A path that holds a separator is loaded from exactly there. A bare file name goes through
// the system's ordinary library search, which never looks in the current directory.
// Null when the library cannot be loaded. A loaded library stays loaded for good.
SharedLibraryHandle LoadSharedLibrary(const char* pathOrFileName);

// The exported function of that name, or null when the library has none.
SharedLibraryFunction FindSharedLibraryFunction(SharedLibraryHandle library, const char* name);
