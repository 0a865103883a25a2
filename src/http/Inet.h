// The internet layer that FetchUrl is written against: a small set of calls shaped like the
// Windows Internet library, so that each platform slots its own client in behind them
// (libcurl on Linux, WinInet itself on Windows) and tests slot in a recording fake.
//
// Handles form a tree: InetOpen gives a session, InetConnect a connection under it,
// InetOpenRequest a request under that. Every handle is closed with InetCloseHandle;
// closing one closes the handles under it too, and a closed, null or made-up handle is
// refused with kInetErrorInvalidHandle. A call that fails returns null or false and leaves
// its reason in InetLastError(). No call throws.
//
// Every request ends in bounded time: connecting (name, TCP, TLS) may take 60 s, and a
// response that delivers no data for 30 s fails the send or read under way. HTTPS always
// verifies the certificate and the host name; a certificate that fails is a failed send.
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

// agent: the User-Agent of every request of the session (a User-Agent line in a request's
// header text wins). accessType: kInetOpenTypeDirect, or kInetOpenTypeProxy with proxy in
// WinInet's syntax ("http=host:port" for http only, "host:port" for every scheme); the
// environment's proxy settings are never used. bypass: null or a list of hosts reached
// directly.
InetHandle InetOpen(const char* agent, int32_t accessType, const char* proxy,
                    const char* proxyBypass, uint32_t flags);

// host: a name (GBK, international names allowed) or an IP address; port 0 is the scheme's
// default. Only kInetServiceHttp.
InetHandle InetConnect(InetHandle internet, const char* host, int32_t port, const char* userName,
                       const char* password, int32_t service, uint32_t flags, uintptr_t context);

// objectPath: the path with its query, as it goes on the request line (bytes a request
// line cannot carry raw, such as spaces and 0x80-0xFF, go out percent-encoded). flags:
// kInetFlagSecure makes it an HTTPS request, kInetFlagNoCookies keeps the process's cookie
// store out of it, kInetFlagNoAutoRedirect leaves a redirect as the response. The other
// flags concern WinInet's cache and its redirect warnings; a layer with no cache (libcurl)
// accepts them and does without.
InetHandle InetOpenRequest(InetHandle connection, const char* verb, const char* objectPath,
                           const char* version, const char* referrer, const char** acceptTypes,
                           uint32_t flags, uintptr_t context);

// headers: header lines separated by CR LF, headersLength bytes of them (-1: up to the
// NUL). They are sent as given, with Host and, when a body goes out, Content-Length added
// (RFC 9112). optional: the request body, optionalLength bytes (null or 0 for none; a POST
// always sends a Content-Length). Sends the request, follows redirects unless told not to,
// and returns once the final response's header block is in; the body is then read with
// InetReadFile. Sending again starts the request afresh.
bool InetSendRequest(InetHandle request, const char* headers, int32_t headersLength,
                     const void* optional, int32_t optionalLength);

// Reads body bytes as the server sent them (never decoded; only the chunked transfer coding
// is taken off), filling the buffer unless the body ends first. true with 0 in *bytesRead:
// the body has ended. false (with 0 in *bytesRead): the body broke off, or the send had
// failed; every later read fails the same way.
bool InetReadFile(InetHandle request, void* buffer, int32_t bytesToRead, int32_t* bytesRead);

// Copies the requested information and a NUL into buffer, storing the length without the
// NUL in *bufferLength. When the buffer is too small (or null) it returns false with
// kInetErrorInsufficientBuffer, writes nothing into it and stores the size needed, NUL
// included. Fails before a successful send.
bool InetQueryInfo(InetHandle request, uint32_t infoLevel, void* buffer, int32_t* bufferLength,
                   int32_t* index);

bool InetCloseHandle(InetHandle handle);

// The reason the last failed call on this thread failed.
uint32_t InetLastError();
