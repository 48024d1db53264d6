#pragma once

#include <filesystem>
#include <optional>
#include <string>

// Whether `folder` is a full path (drive or share and root) to a folder that
// exists now. A relative path would be taken against the current folder,
// where the patch would land beside the installer. Throws nothing.
bool is_existing_folder(const std::filesystem::path& folder) noexcept;

// The ProgramData folder of this machine (C:\ProgramData as a rule), or
// nothing when the system cannot say. Throws only std::bad_alloc.
std::optional<std::filesystem::path> program_data_folder();

// This user's roaming application data folder (%APPDATA%, as a rule
// C:\Users\<name>\AppData\Roaming), or nothing when the system cannot say.
// Throws only std::bad_alloc.
std::optional<std::filesystem::path> roaming_app_data_folder();

// This user's temporary folder in its long form and without a trailing
// separator, or nothing when the system cannot say. Throws only
// std::bad_alloc.
std::optional<std::filesystem::path> temporary_folder();
