// The exit status that the fatal report leaves behind: -1, which a POSIX parent reads as 255.
#pragma once

#ifdef _WIN32
inline constexpr int kFatalExitStatus = -1;
#else
inline constexpr int kFatalExitStatus = 255;
#endif
