// Reading a response through the internet layer: its body and its raw header block.
#pragma once

#include "Inet.h"
#include "values/Bytes.h"
#include "values/Text.h"

#include <cstdint>
#include <limits>

// A body is counted in 32-bit sizes, so this is the longest one a fetch can return.
constexpr int32_t kMaxBodyLength = std::numeric_limits<int32_t>::max();

// Reads the body in pieces of 1024 bytes until a read reports no bytes. A failed read ends
// the body there, without the bytes it claims. A body longer than `limit`, or than the
// layer's own limit, stops being read there and comes back empty, as from a failed fetch.
Bytes ReadResponseBody(InetHandle request, int32_t limit = kMaxBodyLength);

// The raw header block: the status line and every header line, each ended by CR LF.
// The first query offers 5000 bytes; a block that does not fit is queried again at the size
// the layer reports, so it always comes back whole. When the query fails: 5000 blanks.
Text QueryRawHeaderBlock(InetHandle request);
