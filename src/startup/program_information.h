#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace kivrel {

// What a command tail of exactly "--help" or "--version" asks for, where no
// file of that name is there: the usage or the version, for standard
// output, with nothing else done. Nothing for any other tail.
// `program` names the program asked ("kivrel" or "kivrel-filter").
std::optional<std::string> InformationAsked(const std::string& command_text, FileSystem& files,
                                            std::string_view program);

}  // namespace kivrel
