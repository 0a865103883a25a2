// The internet layer on Windows: a thin pass-through to WinInet itself, whose calls the
// layer's interface mirrors one for one.
#include "Inet.h"

#include <windows.h>
#include <wininet.h>

namespace {

HINTERNET Native(InetHandle handle) {
    return reinterpret_cast<HINTERNET>(handle);
}

InetHandle Wrapped(HINTERNET handle) {
    return reinterpret_cast<InetHandle>(handle);
}

} // namespace

InetHandle InetOpen(const char* agent, int32_t accessType, const char* proxy,
                    const char* proxyBypass, uint32_t flags) {
    return Wrapped(
        ::InternetOpenA(agent, static_cast<DWORD>(accessType), proxy, proxyBypass, flags));
}

InetHandle InetConnect(InetHandle internet, const char* host, int32_t port, const char* userName,
                       const char* password, int32_t service, uint32_t flags, uintptr_t context) {
    return Wrapped(::InternetConnectA(Native(internet), host, static_cast<INTERNET_PORT>(port),
                                      userName, password, static_cast<DWORD>(service), flags,
                                      static_cast<DWORD_PTR>(context)));
}

InetHandle InetOpenRequest(InetHandle connection, const char* verb, const char* objectPath,
                           const char* version, const char* referrer, const char** acceptTypes,
                           uint32_t flags, uintptr_t context) {
    return Wrapped(::HttpOpenRequestA(Native(connection), verb, objectPath, version, referrer,
                                      acceptTypes, flags, static_cast<DWORD_PTR>(context)));
}

bool InetSendRequest(InetHandle request, const char* headers, int32_t headersLength,
                     const void* optional, int32_t optionalLength) {
    // WinInet only reads the optional data; its parameter is not const for history's sake.
    return ::HttpSendRequestA(Native(request), headers, static_cast<DWORD>(headersLength),
                              const_cast<void*>(optional), static_cast<DWORD>(optionalLength));
}

bool InetReadFile(InetHandle request, void* buffer, int32_t bytesToRead, int32_t* bytesRead) {
    DWORD read = 0;
    BOOL result =
        ::InternetReadFile(Native(request), buffer, static_cast<DWORD>(bytesToRead), &read);
    if (bytesRead)
        *bytesRead = static_cast<int32_t>(read);
    return result;
}

bool InetQueryInfo(InetHandle request, uint32_t infoLevel, void* buffer, int32_t* bufferLength,
                   int32_t* index) {
    DWORD length = bufferLength ? static_cast<DWORD>(*bufferLength) : 0;
    DWORD nativeIndex = index ? static_cast<DWORD>(*index) : 0;
    BOOL result =
        ::HttpQueryInfoA(Native(request), infoLevel, buffer, bufferLength ? &length : nullptr,
                         index ? &nativeIndex : nullptr);
    // Kept across the copies below, which do not touch it.
    if (bufferLength)
        *bufferLength = static_cast<int32_t>(length);
    if (index)
        *index = static_cast<int32_t>(nativeIndex);
    return result;
}

bool InetCloseHandle(InetHandle handle) {
    return ::InternetCloseHandle(Native(handle));
}

uint32_t InetLastError() {
    return ::GetLastError();
}
