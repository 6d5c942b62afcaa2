#pragma once

#include <string_view>

namespace kivrel {

// The characters that lead a comment: a line that starts with one passes
// through as read, and inside a line the first one starts its comment. ";"
// is read as a comment to the end of the line by most controllers.
inline constexpr std::string_view CommentLeaders = "(/%#;";

}  // namespace kivrel
