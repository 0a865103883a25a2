// Decoding a gzip-encoded HTTP body through gzip.dll.
#pragma once

#include "values/Bytes.h"

#include <cstdint>

// Everything that the library produces from the body, in order: the content of its first
// gzip member when it is well-formed. A malformed or cut-short body gives the output of the
// calls before the failing one; a body that is not gzip at all gives an empty result.
Bytes GunzipBody(const Bytes& body);

// The length of what GunzipBody would return, counted without keeping the output. A length
// past 2,147,483,647 ends the decoding there and gives 2,147,483,647.
int32_t GunzippedLength(const Bytes& body);
