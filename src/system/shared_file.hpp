#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>

// Closes a C file. Throws nothing.
struct file_closer {
  void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};

// Owns a C file and closes it when it goes out of scope.
using unique_file = std::unique_ptr<std::FILE, file_closer>;

// Opens `file` for reading in the platform's text mode (CR LF reads as LF),
// letting other programs read, write, rename and delete it meanwhile. Empty
// if it cannot be opened. Throws nothing.
unique_file open_shared_text_file(const std::filesystem::path& file) noexcept;

// As open_shared_text_file, in binary mode: every byte as it is stored.
unique_file open_shared_binary_file(const std::filesystem::path& file) noexcept;
