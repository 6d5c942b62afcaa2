#pragma once

namespace kivrel {

// How a start of the program ends; main exits with it. The host reads the
// outcome from the result file, scripts from the exit status.
enum class [[nodiscard]] ExitStatus{Done = 0, InputMissing = 1, ZeroFeed = 2, Failure = 3};

}  // namespace kivrel
