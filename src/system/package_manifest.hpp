#pragma once

#include "base/failure.hpp"

#include <filesystem>
#include <string>

// The Name attribute of the <Identity> element directly below the root of
// the package manifest `file` (an appxmanifest.xml), read with Windows' own
// XmlLite, loaded from System32. A file that cannot be opened, XML that is
// not well formed and a missing XmlLite give the failing call's failure;
// a manifest that names no identity gives one whose code is S_FALSE. Throws
// only std::bad_alloc.
[[nodiscard]] result<std::wstring> read_package_identity(const std::filesystem::path& file);

// The HRESULT that a package manifest's reading is logged with: S_OK when
// it gave a name.
long manifest_status(const result<std::wstring>& read) noexcept;
