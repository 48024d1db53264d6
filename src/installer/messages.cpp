#include "messages.hpp"

#include <windows.h>

void show_message(const std::wstring& text, const std::optional<std::wstring>& caption) {
  ::MessageBoxW(nullptr, text.c_str(), caption ? caption->c_str() : nullptr, MB_OK);
}
