#pragma once

#include <filesystem>
#include <optional>
#include <string>

// Whether `folder` is a full path (drive or share and root) to a folder that
// exists now. A relative path would be taken against the current folder,
// where the patch would land beside the installer. Throws nothing.
bool is_existing_folder(const std::filesystem::path& folder) noexcept;

// Whether `folder` or a folder up to `levels` levels below it holds a file
// named exactly `name` (same UTF-16 code units). Links to folders are not
// entered, and folders that cannot be read are passed over. Throws only
// std::bad_alloc.
bool holds_file(const std::filesystem::path& folder, const std::wstring& name, int levels);

// The ProgramData folder of this machine (C:\ProgramData as a rule), or
// nothing when the system cannot say. Throws only std::bad_alloc.
std::optional<std::filesystem::path> program_data_folder();
