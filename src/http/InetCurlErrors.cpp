// Mapping libcurl's result codes to the layer's error values.
#include "InetCurlErrors.h"

#include "Inet.h"

uint32_t InetErrorFromCurl(CURLcode code) {
    switch (code) {
    case CURLE_OK:
        return kInetErrorNone;
    case CURLE_UNSUPPORTED_PROTOCOL:
        // Requests are only ever http or https, so this is a response in another protocol
        // (HTTP/0.9, or a version libcurl does not speak).
        return kInetErrorInvalidServerResponse;
    case CURLE_URL_MALFORMAT:
        return kInetErrorInvalidUrl;
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST:
        return kInetErrorNameNotResolved;
    case CURLE_COULDNT_CONNECT:
        return kInetErrorCannotConnect;
    case CURLE_OPERATION_TIMEDOUT:
        return kInetErrorTimeout;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_ENGINE_INITFAILED:
    case CURLE_SSL_SHUTDOWN_FAILED:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_USE_SSL_FAILED:
        return kInetErrorSecureFailure;
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_BAD_CONTENT_ENCODING:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
    case CURLE_HTTP3:
        return kInetErrorInvalidServerResponse;
    case CURLE_OUT_OF_MEMORY:
        return kInetErrorNotEnoughMemory;
    case CURLE_GOT_NOTHING:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_PARTIAL_FILE:
        return kInetErrorConnectionReset;
    default:
        return kInetErrorInternal;
    }
}
