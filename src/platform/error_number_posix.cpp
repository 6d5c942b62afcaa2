#include "platform/error_number.h"

namespace kivrel {

int PlatformErrorNumber(std::errc condition) { return static_cast<int>(condition); }

std::string DescribePlatformError(int number) { return std::generic_category().message(number); }

}  // namespace kivrel
