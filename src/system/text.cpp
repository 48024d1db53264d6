#include "system/text.hpp"

#include <windows.h>

std::wstring widen_utf8(const std::string& text) {
  // No UTF-8 byte yields more than one UTF-16 unit, so n + 1 units always
  // suffice and the conversion runs once, without a size query.
  std::wstring wide(text.size() + 1, L'\0');
  const int written = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                            wide.data(), static_cast<int>(wide.size()));
  wide.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
  return wide;
}

std::string narrow_utf16(std::wstring_view text) {
  // No UTF-16 unit yields more than three UTF-8 bytes.
  std::string narrow(3 * text.size() + 1, '\0');
  const int written = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                            narrow.data(), static_cast<int>(narrow.size()), nullptr, nullptr);
  narrow.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
  return narrow;
}

std::string path_to_utf8(const std::filesystem::path& path) { return narrow_utf16(path.native()); }

std::filesystem::path path_from_utf8(const std::string& text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end())).make_preferred();
}
