#include "system/ui_language.hpp"

#include "system/text.hpp"

#include <windows.h>

#include <array>

std::string user_interface_language() {
  std::array<wchar_t, LOCALE_NAME_MAX_LENGTH> name{};
  const LCID locale = MAKELCID(::GetUserDefaultUILanguage(), SORT_DEFAULT);
  if (::LCIDToLocaleName(locale, name.data(), static_cast<int>(name.size()), 0) == 0) {
    return "en";
  }
  return narrow_utf16(name.data());
}
