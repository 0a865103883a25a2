// The Windows side of library loading, on LoadLibraryA and GetProcAddress.
#include "SharedLibrary.h"

#include <windows.h>

SharedLibraryHandle LoadSharedLibrary(const char* pathOrFileName) {
    // A full path is loaded from there; a bare name goes through the system's ordinary
    // search. Either way no box of the system's own reports a library that cannot be had:
    // the caller reports it.
    UINT previousMode = ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE library = ::LoadLibraryA(pathOrFileName);
    ::SetErrorMode(previousMode);
    return reinterpret_cast<SharedLibraryHandle>(library);
}

SharedLibraryFunction FindSharedLibraryFunction(SharedLibraryHandle library, const char* name) {
    if (!library)
        return nullptr;
    return reinterpret_cast<SharedLibraryFunction>(
        reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(library), name)));
}
