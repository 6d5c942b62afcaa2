#include "platform/standard_output.h"

#include <windows.h>

#include "common/failure.h"
#include "platform/wide_text_windows.h"

namespace kivrel {

StandardOutput::StandardOutput() = default;

// Straight to the handle: no C library in between, so no line end is ever
// translated.
void StandardOutput::Append(std::string_view data) {
  HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  while (!data.empty()) {
    const DWORD want = data.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(data.size());
    DWORD written = 0;
    if (output == nullptr || output == INVALID_HANDLE_VALUE || !WriteFile(output, data.data(), want, &written, nullptr) ||
        written == 0) {
      const DWORD error = GetLastError();
      throw Failure(static_cast<int>(error), "cannot write \"standard output\": " + DescribeError(error));
    }
    data.remove_prefix(written);
  }
}

void StandardOutput::Close() {}

}  // namespace kivrel
