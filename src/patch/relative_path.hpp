#pragma once

#include "base/ascii.hpp"

#include <optional>
#include <string>
#include <string_view>

// `path`, a file's path below a folder with '/' or '\' between its elements,
// as its elements joined by '/' ("." elements left out); nothing when it is
// not such a path: empty, absolute, holding an empty element, "..", or a ':'
// (a drive or a stream). Throws only std::bad_alloc.
std::optional<std::string> normalized_relative_path(std::string_view path);
