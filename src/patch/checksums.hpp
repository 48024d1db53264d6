#pragma once

#include "base/failure.hpp"

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// One file of a sealed patch, as its checksum file lists it.
struct checksum_line {
  std::string path;  // UTF-8, relative to archives, its elements joined by '/'
  std::string hash;  // SHA-256, 64 lower-case hexadecimal digits
  std::size_t line;  // where it stands in the file, from 1
};

// A line of a checksum file that is not in sha256sum's format or names no
// file of the patch. what() is "line <n>: <reason>".
struct checksum_format_error : installer_error {
  checksum_format_error(std::size_t line, const std::string& reason)
      : installer_error("line " + std::to_string(line) + ": " + reason) {}
};

// Reads a checksum file in sha256sum's format: a line per file, 64
// hexadecimal digits (either case), a space, a space or '*', and the file's
// path relative to the archives folder, with '/' or '\' between its
// elements. A UTF-8 byte-order mark, CR LF line ends, empty lines and
// sha256sum's escaped lines (led by '\') are read as sha256sum writes them.
// `own_path` is the checksum file's own path relative to archives (with
// '/'), which may not be listed. Throws checksum_format_error for a line in
// another format, a path that is absolute, leaves archives (".."), holds a
// ':' or an empty element, names the checksum file or a config.json (which
// is never copied), or is listed twice (letter case aside); std::bad_alloc
// otherwise.
std::vector<checksum_line> read_checksums(std::string_view text, std::string_view own_path);

// `text` in lower case when it is 64 hexadecimal digits (in either case), as
// a SHA-256 is written; else nothing. Throws only std::bad_alloc.
std::optional<std::string> normalized_sha256(std::string_view text);
