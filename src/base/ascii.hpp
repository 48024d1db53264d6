#pragma once

#include <algorithm>
#include <string>
#include <string_view>

// `text` with the ASCII capitals A to Z in lower case and everything else as
// it is: how names of files, members and packages are compared letter case
// aside, the same on every machine whatever its locale. Throws only
// std::bad_alloc.
template <class char_type>
std::basic_string<char_type> ascii_lower(std::basic_string_view<char_type> text) {
  std::basic_string<char_type> lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](char_type c) {
    return c >= char_type('A') && c <= char_type('Z') ? static_cast<char_type>(c - 'A' + 'a') : c;
  });
  return lower;
}

inline std::string ascii_lower(std::string_view text) { return ascii_lower<char>(text); }
inline std::wstring ascii_lower(std::wstring_view text) { return ascii_lower<wchar_t>(text); }

// Whether `text` is made of lower-case hexadecimal digits only (and is not
// empty), as SHA-256 digests and patch ids are written. Throws nothing.
inline bool is_lower_hex(std::string_view text) noexcept {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char digit) {
    return (digit >= '0' && digit <= '9') || (digit >= 'a' && digit <= 'f');
  });
}
