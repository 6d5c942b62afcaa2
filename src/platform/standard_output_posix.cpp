#include "platform/standard_output.h"

#include <cerrno>
#include <cstdio>
#include <system_error>

#include "common/failure.h"

namespace kivrel {

StandardOutput::StandardOutput() = default;

void StandardOutput::Append(std::string_view data) {
  if (std::fwrite(data.data(), 1, data.size(), stdout) != data.size()) {
    throw FileFailure(std::error_code(errno, std::generic_category()), "cannot write", "standard output");
  }
}

void StandardOutput::Close() {
  if (std::fflush(stdout) != 0) {
    throw FileFailure(std::error_code(errno, std::generic_category()), "cannot write", "standard output");
  }
}

}  // namespace kivrel
