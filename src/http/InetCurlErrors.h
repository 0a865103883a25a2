// The reason a libcurl transfer failed, in the layer's terms.
#pragma once

#include <curl/curl.h>

#include <cstdint>

// The InetLastError() value for a failed transfer (a kInetError... constant).
uint32_t InetErrorFromCurl(CURLcode code);
