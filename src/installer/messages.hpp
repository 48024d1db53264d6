#pragma once

#include <optional>
#include <string>

// Shows one modal message box with an OK button and no owner window; without
// a caption the system's default title is shown. Returns when it is closed.
void show_message(const std::wstring& text, const std::optional<std::wstring>& caption);
