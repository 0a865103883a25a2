// The POSIX side of library loading, on dlopen.
#include "SharedLibrary.h"

#include <dlfcn.h>

SharedLibraryHandle LoadSharedLibrary(const char* pathOrFileName) {
    // RTLD_NOW: a library whose own dependencies cannot be resolved fails here, at binding,
    // rather than in the middle of a decoding.
    return ::dlopen(pathOrFileName, RTLD_NOW | RTLD_LOCAL);
}

SharedLibraryFunction FindSharedLibraryFunction(SharedLibraryHandle library, const char* name) {
    if (!library)
        return nullptr;
    return reinterpret_cast<SharedLibraryFunction>(::dlsym(library, name));
}
