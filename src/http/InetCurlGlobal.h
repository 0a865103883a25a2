// libcurl's process-wide state: its one-time initialisation and the cookie store that all
// requests of the process share.
#pragma once

#include <curl/curl.h>

// Initialises libcurl on the first call (from any thread, exactly once) and returns the
// share object that holds the process's cookies and name cache. Null when libcurl could
// not be initialised; requests then fail.
CURLSH* InetCurlShare();
