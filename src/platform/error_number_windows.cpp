#include "platform/error_number.h"

#include <windows.h>

#include "platform/wide_text_windows.h"

namespace kivrel {

int PlatformErrorNumber(std::errc condition) {
  switch (condition) {
    case std::errc::permission_denied:
    case std::errc::operation_not_permitted: return ERROR_ACCESS_DENIED;
    case std::errc::no_such_file_or_directory: return ERROR_FILE_NOT_FOUND;
    case std::errc::file_exists: return ERROR_FILE_EXISTS;
    case std::errc::is_a_directory: return ERROR_DIRECTORY;
    case std::errc::invalid_argument: return ERROR_INVALID_PARAMETER;
    case std::errc::no_space_on_device: return ERROR_DISK_FULL;
    case std::errc::device_or_resource_busy: return ERROR_BUSY;
    case std::errc::io_error: return ERROR_IO_DEVICE;
    case std::errc::not_enough_memory:
    case std::errc::resource_unavailable_try_again: return ERROR_NOT_ENOUGH_MEMORY;
    case std::errc::result_out_of_range:
    case std::errc::value_too_large: return ERROR_ARITHMETIC_OVERFLOW;
    default: return ERROR_INTERNAL_ERROR;
  }
}

std::string DescribePlatformError(int number) { return DescribeError(static_cast<unsigned long>(number)); }

}  // namespace kivrel
