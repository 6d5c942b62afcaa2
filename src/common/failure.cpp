#include "common/failure.h"

namespace kivrel {

Failure FileFailure(const std::error_code& error, const std::string& action,
                    const std::string& path) {
  return Failure(error.value(), action + " \"" + path + "\": " + error.message());
}

}  // namespace kivrel
