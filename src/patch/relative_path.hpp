#pragma once

#include <optional>
#include <string>
#include <string_view>

// `path`, a file's path below a folder with '/' or '\' between its elements,
// as its elements joined by '/' ("." elements left out); nothing when it is
// not such a path: empty, absolute, holding an empty element, "..", or a ':'
// (a drive or a stream). Throws only std::bad_alloc.
std::optional<std::string> normalized_relative_path(std::string_view path);

// `text` with the ASCII capitals A to Z in lower case, the rest as it is:
// how names of files and members are compared letter case aside. Throws
// only std::bad_alloc.
std::string ascii_lower(std::string_view text);
