#pragma once

#include <stdexcept>
#include <string>
#include <system_error>

namespace kivrel {

// A failure that no procedure of the program recovers from. It travels up to
// the entry point, which reports "error <number>: <description>" and ends the
// process with status 3.
class Failure : public std::runtime_error {
 public:
  Failure(int number, const std::string& description)
      : std::runtime_error(description), number_(number) {}
  // Numbered as the platform numbers `condition` (the Windows error code on
  // Windows, errno on POSIX).
  Failure(std::errc condition, const std::string& description);

  int number() const { return number_; }

 private:
  int number_;
};

// A failed file operation: `action` says what was attempted ("cannot open"),
// and the description names the file concerned.
Failure FileFailure(const std::error_code& error, const std::string& action,
                    const std::string& path);
// The same for a condition the program finds itself, numbered and described
// as the platform numbers and describes it.
Failure FileFailure(std::errc condition, const std::string& action, const std::string& path);

// "error <number>: <description>" for the exception being handled, whatever
// it is: both programs report a failure that ends them so. Call it only from
// a catch block.
std::string DescribeCaughtFailure();

}  // namespace kivrel
