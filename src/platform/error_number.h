#pragma once

#include <string>
#include <system_error>

namespace kivrel {

// The number the platform gives `condition`, as its own calls report it:
// errno on POSIX, the Windows error code (GetLastError) on Windows.
int PlatformErrorNumber(std::errc condition);

// The platform's description of its error `number`.
std::string DescribePlatformError(int number);

}  // namespace kivrel
