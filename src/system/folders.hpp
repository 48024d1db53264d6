#pragma once

#include <filesystem>
#include <optional>

// Folders that Windows knows: each nothing when the system cannot say.
// Throw only std::bad_alloc.

// The folder of this program's own executable.
std::filesystem::path executable_folder();

// The ProgramData folder of this machine (C:\ProgramData as a rule).
std::optional<std::filesystem::path> program_data_folder();

// The folder of this machine's 64-bit programs (C:\Program Files as a
// rule), as a 64-bit program sees it.
std::optional<std::filesystem::path> program_files_folder();

// This user's roaming application data folder (%APPDATA%, as a rule
// C:\Users\<name>\AppData\Roaming).
std::optional<std::filesystem::path> roaming_app_data_folder();

// This user's temporary folder in its long form and without a trailing
// separator.
std::optional<std::filesystem::path> temporary_folder();
