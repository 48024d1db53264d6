#pragma once

#include <string>

// True when a running process's executable file name equals `name` exactly
// (same UTF-16 code units; no case folding). Processes that cannot be
// examined are skipped, and a failed process listing counts as "not running".
// Throws only std::bad_alloc.
bool is_game_running(const std::wstring& name);
