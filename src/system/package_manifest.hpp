#pragma once

#include <filesystem>
#include <string>

// One read of a package manifest's identity.
struct package_identity {
  long status = 0;    // S_OK; S_FALSE when the manifest names no identity; else what failed
  std::wstring name;  // the identity's Name; empty unless status is S_OK
};

// The Name attribute of the <Identity> element directly below the root of
// the package manifest `file` (an appxmanifest.xml), read with Windows' own
// XmlLite, loaded from System32. A file that cannot be opened, XML that is
// not well formed and a missing XmlLite give the failing call's HRESULT.
// Throws only std::bad_alloc.
package_identity read_package_identity(const std::filesystem::path& file);
