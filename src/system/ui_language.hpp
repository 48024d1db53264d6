#pragma once

#include <string>

// The language of the Windows user interface for this user, as a tag such as
// "de-DE" or "ja-JP" (GetUserDefaultUILanguage); "en" when Windows cannot
// name it. Throws only std::bad_alloc.
std::string user_interface_language();
