#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// Converts UTF-8 text to UTF-16. Ill-formed sequences become U+FFFD; empty
// input, or input the platform cannot convert, gives empty text. Throws only
// std::bad_alloc.
std::wstring widen_utf8(const std::string& text);

// Converts UTF-16 text to UTF-8; an unpaired surrogate becomes U+FFFD.
// Throws only std::bad_alloc.
std::string narrow_utf16(std::wstring_view text);

// The UTF-8 form of a path, for error texts (which travel as UTF-8). Throws
// only std::bad_alloc.
std::string path_to_utf8(const std::filesystem::path& path);

// The path that UTF-8 text names, with '/' between its elements turned into
// the platform's separator. Throws std::filesystem::filesystem_error for text
// that is not UTF-8, std::bad_alloc.
std::filesystem::path path_from_utf8(const std::string& text);
