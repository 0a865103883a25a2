// The internet layer that FetchUrl is written against: a small set of calls shaped like the
// Windows Internet library, so that each platform slots its own client in behind them
// (libcurl on Linux, WinInet itself on Windows) and tests slot in a recording fake.
//
// Handles form a tree: InetOpen gives a session, InetConnect a connection under it,
// InetOpenRequest a request under that. Every handle is closed with InetCloseHandle.
// A call that fails returns null or false and leaves its reason in InetLastError().
#pragma once

#include <cstdint>

struct InetObject;
using InetHandle = InetObject*;

// Access types of InetOpen.
constexpr int32_t kInetOpenTypeDirect = 1;
constexpr int32_t kInetOpenTypeProxy = 3;

// Service of InetConnect.
constexpr int32_t kInetServiceHttp = 3;

// Request flags of InetOpenRequest.
constexpr uint32_t kInetFlagReload = 0x80000000;
constexpr uint32_t kInetFlagNeedFile = 0x00000010;
constexpr uint32_t kInetFlagNoCookies = 0x00080000;
constexpr uint32_t kInetFlagNoAutoRedirect = 0x00200000;
constexpr uint32_t kInetFlagSecure = 0x00800000;
constexpr uint32_t kInetFlagIgnoreRedirectToHttps = 0x00004000;

// Information level of InetQueryInfo: the status line and every header line of the final
// response, each ended by CR LF, then one empty CR LF line.
constexpr uint32_t kHttpQueryRawHeadersCrlf = 22;

// Reasons left in InetLastError().
constexpr uint32_t kInetErrorNone = 0;
constexpr uint32_t kInetErrorInsufficientBuffer = 122;
constexpr uint32_t kInetErrorInvalidHandle = 6;
constexpr uint32_t kInetErrorCannotConnect = 12029;
constexpr uint32_t kInetErrorTimeout = 12002;
constexpr uint32_t kInetErrorNameNotResolved = 12007;
constexpr uint32_t kInetErrorSecureFailure = 12175;
constexpr uint32_t kInetErrorConnectionReset = 12031;
constexpr uint32_t kInetErrorUnrecognisedScheme = 12006;
constexpr uint32_t kInetErrorHeaderNotFound = 12150;
constexpr uint32_t kInetErrorInvalidParameter = 87;
constexpr uint32_t kInetErrorNotEnoughMemory = 8;
constexpr uint32_t kInetErrorBodyTooLarge = 223;
constexpr uint32_t kInetErrorInternal = 12004;
constexpr uint32_t kInetErrorInvalidUrl = 12005;
constexpr uint32_t kInetErrorIncorrectHandleType = 12018;
constexpr uint32_t kInetErrorIncorrectHandleState = 12019;
constexpr uint32_t kInetErrorInvalidServerResponse = 12152;
constexpr uint32_t kInetErrorRedirectFailed = 12156;

// agent: the User-Agent of every request of the session. proxy: null, or WinInet's proxy
// syntax ("http=host:port" for http only, "host:port" for every scheme). bypass: null or
// a list of hosts reached directly.
InetHandle InetOpen(const char* agent, int32_t accessType, const char* proxy,
                    const char* proxyBypass, uint32_t flags);

InetHandle InetConnect(InetHandle internet, const char* host, int32_t port, const char* userName,
                       const char* password, int32_t service, uint32_t flags, uintptr_t context);

// objectPath: the path with its query, as it goes on the request line.
InetHandle InetOpenRequest(InetHandle connection, const char* verb, const char* objectPath,
                           const char* version, const char* referrer, const char** acceptTypes,
                           uint32_t flags, uintptr_t context);

// headers: header lines separated by CR LF, headersLength bytes of them. optional: the
// request body, optionalLength bytes (null or 0 for none). Sends the request and receives
// the response's header block; the body is then read with InetReadFile.
bool InetSendRequest(InetHandle request, const char* headers, int32_t headersLength,
                     const void* optional, int32_t optionalLength);

// Reads up to bytesToRead body bytes, as the server sent them (never decoded). A read that
// stores 0 in *bytesRead marks the end of the body, or a failure.
bool InetReadFile(InetHandle request, void* buffer, int32_t bytesToRead, int32_t* bytesRead);

// Copies the requested information and a NUL into buffer, storing the length without the
// NUL in *bufferLength. When the buffer is too small it returns false with
// kInetErrorInsufficientBuffer and stores the size needed, NUL included.
bool InetQueryInfo(InetHandle request, uint32_t infoLevel, void* buffer, int32_t* bufferLength,
                   int32_t* index);

bool InetCloseHandle(InetHandle handle);

// The reason the last failed call on this thread failed.
uint32_t InetLastError();
