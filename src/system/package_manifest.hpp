#pragma once

#include "base/failure.hpp"

#include <filesystem>
#include <string>
#include <vector>

// The Name attribute of the <Identity> element directly below the root of
// the package manifest `file` (an appxmanifest.xml), read with Windows' own
// XmlLite, loaded from System32. A file that cannot be opened, XML that is
// not well formed and a missing XmlLite give the failing call's failure;
// a manifest that names no identity gives one whose code is S_FALSE. Throws
// only std::bad_alloc.
[[nodiscard]] result<std::wstring> read_package_identity(const std::filesystem::path& file);

// The ids of the game that the EA app's installer data `file` (a game's
// __Installer\installerdata.xml, UTF-8 or UTF-16 as its byte-order mark or
// its XML declaration says) lists: the text of each <contentID> directly in
// a <contentIDs>, wherever that stands, without the blanks around it, in the
// file's order; empty ones left out. Read with XmlLite as a package manifest
// is, with the same failures. Throws only std::bad_alloc.
[[nodiscard]] result<std::vector<std::wstring>> read_content_ids(const std::filesystem::path& file);

// The HRESULT that a manifest's reading is logged with: S_OK (0) when it
// gave a name or ids, else its failure's (a Windows code as
// HRESULT_FROM_WIN32 turns it into one).
long manifest_status(const failure& failed) noexcept;
template <class read_value>
long manifest_status(const result<read_value>& read) noexcept {
  return read ? 0 : manifest_status(read.error());
}
