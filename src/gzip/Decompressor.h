// The four calls of gzip.dll that decoding uses, each bound by name at its first call and
// bound for good after that. The library is looked for first at RunDirectory() + "/gzip.dll",
// then through the system's ordinary library search for "gzip.dll". A library or a function
// that cannot be had ends the process through ReportFatalError, naming the function.
//
// This is the one place that holds process-wide mutable state (the loaded library and the
// bound functions); binding is safe from any thread.
#pragma once

#include "gzip/library/Decompression.h"
#include "values/Text.h"

#include <cstdint>

namespace Decompressor {

// See gzip/library/Decompression.h for what each call does and returns.
int32_t InitDecompression();
int32_t CreateDecompression(DecompressionContext** context, int32_t flags);
int32_t Decompress(DecompressionContext* context, const uint8_t* input, int32_t inputLength,
                   uint8_t* output, int32_t outputCapacity, int32_t* consumed, int32_t* produced);
int32_t DestroyDecompression(DecompressionContext* context);

// "无法找到指定DLL库文件“gzip.dll”中的输出命令“<function>”", the text of the fatal report.
Text MissingFunctionMessage(const char* function);

} // namespace Decompressor
