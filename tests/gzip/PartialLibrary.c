/* A stand-in gzip.dll that exports InitDecompression alone, answering 42, for the tests of
   which file is bound and of a function that the library lacks. */
#include <stdint.h>

__attribute__((visibility("default"))) int32_t InitDecompression(void) {
    return 42;
}
