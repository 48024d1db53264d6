#include "system/shared_file.hpp"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <stdio.h>

unique_file open_shared_text_file(const std::filesystem::path& file) noexcept {
  // The C runtime's own _wfopen shares a file for reading and writing but not
  // for deleting, which would keep Steam from replacing its files while they
  // are read. So the file is opened by the system with every sharing allowed,
  // and the C runtime is put on top of that handle.
  unique_hfile handle{::CreateFileW(file.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)};
  if (!handle) {
    return {};
  }
  // A descriptor, once made, owns the handle: closing it closes the handle.
  unique_descriptor descriptor(
      ::_open_osfhandle(reinterpret_cast<intptr_t>(handle.get()), _O_RDONLY | _O_TEXT));
  if (!descriptor) {
    return {};
  }
  handle.release();
  unique_file stream{::_fdopen(descriptor.get(), "rt")};
  if (stream) {
    descriptor.release();  // the stream owns it now
  }
  return stream;
}
