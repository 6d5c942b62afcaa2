#include "common/failure.h"

#include <new>

#include "platform/error_number.h"

namespace kivrel {

Failure::Failure(std::errc condition, const std::string& description)
    : Failure(PlatformErrorNumber(condition), description) {}

Failure FileFailure(const std::error_code& error, const std::string& action,
                    const std::string& path) {
  return Failure(error.value(), action + " \"" + path + "\": " + error.message());
}

Failure FileFailure(std::errc condition, const std::string& action, const std::string& path) {
  const int number = PlatformErrorNumber(condition);
  return Failure(number, action + " \"" + path + "\": " + DescribePlatformError(number));
}

std::string DescribeCaughtFailure() {
  int number = 0;
  std::string description;
  try {
    throw;
  } catch (const Failure& failure) {
    number = failure.number();
    description = failure.what();
  } catch (const std::bad_alloc&) {
    number = PlatformErrorNumber(std::errc::not_enough_memory);
    description = "out of memory";
  } catch (const std::system_error& error) {
    // A condition of the C++ library (a thread that cannot start, say) in
    // the platform's numbers; the platform's own codes as they are.
    const std::error_code code = error.code();
    number = code.category() == std::generic_category() ? PlatformErrorNumber(static_cast<std::errc>(code.value()))
                                                         : code.value();
    description = error.what();
  } catch (const std::exception& error) {
    number = PlatformErrorNumber(std::errc::state_not_recoverable);
    description = std::string("unexpected failure: ") + error.what();
  } catch (...) {
    number = PlatformErrorNumber(std::errc::state_not_recoverable);
    description = "unexpected failure";
  }
  return "error " + std::to_string(number) + ": " + description;
}

}  // namespace kivrel
