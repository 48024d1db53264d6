#include "system/shared_file.hpp"

#include "system/handle.hpp"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <stdio.h>

namespace {

// The C runtime's own _wfopen shares a file for reading and writing but not
// for deleting, which would keep Steam from replacing its files while they
// are read. So the file is opened by the system with every sharing allowed,
// and the C runtime is put on top of that handle in `mode` (_O_TEXT or
// _O_BINARY; `c_mode` the same for fdopen).
unique_file open_shared_file(const std::filesystem::path& file, int mode, const char* c_mode) noexcept {
  unique_hfile handle{::CreateFileW(file.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)};
  if (!handle) {
    return {};
  }
  // A descriptor, once made, owns the handle: closing it closes the handle.
  const int descriptor = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle.get()), _O_RDONLY | mode);
  if (descriptor == -1) {
    return {};
  }
  handle.release();
  unique_file stream{::_fdopen(descriptor, c_mode)};
  if (!stream) {
    ::_close(descriptor);
  }
  return stream;
}

}  // namespace

unique_file open_shared_text_file(const std::filesystem::path& file) noexcept {
  return open_shared_file(file, _O_TEXT, "rt");
}

unique_file open_shared_binary_file(const std::filesystem::path& file) noexcept {
  return open_shared_file(file, _O_BINARY, "rb");
}
