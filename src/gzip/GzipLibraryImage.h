// The built gzip.dll, carried inside the program byte for byte, to be written out beside the
// executable when the file is missing. Never parsed or changed.
#pragma once

#include "values/Bytes.h"

const Bytes& GzipLibraryImage();
