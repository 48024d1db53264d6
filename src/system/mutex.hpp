#pragma once

#include "base/failure.hpp"
#include "system/handle.hpp"

#include <optional>
#include <string>

// Takes the named mutex `name` (made when missing) without waiting. Held
// until the owner goes out of scope, and given up by Windows when the
// process ends however it ends. Nothing when another process holds it, or
// made it and lets no one else open it (a mutex's default security lets
// only its maker open it). Throws only std::bad_alloc.
[[nodiscard]] result<std::optional<unique_mutex_hold>> try_take_mutex(const std::wstring& name);
