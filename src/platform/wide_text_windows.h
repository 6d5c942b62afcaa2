#pragma once

#include <string>
#include <string_view>

// The program's text is UTF-8 inside; Windows' calls take UTF-16.
namespace kivrel {

std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view text);

// `text` in the system's ANSI code page, which 8-bit programs read; false
// when a character of it has no place there.
bool AnsiFromUtf8(std::string_view text, std::string& ansi);

// The system's description of a Windows error, in UTF-8, without the line
// end and the full stop it ends with.
std::string DescribeError(unsigned long error);

}  // namespace kivrel
