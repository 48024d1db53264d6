#pragma once

#include "system/handle.hpp"

#include <filesystem>

// Opens `file` for reading in the platform's text mode (CR LF reads as LF),
// letting other programs read, write, rename and delete it meanwhile, as
// Steam's files must be read. Empty if it cannot be opened. Throws nothing.
unique_file open_shared_text_file(const std::filesystem::path& file) noexcept;
