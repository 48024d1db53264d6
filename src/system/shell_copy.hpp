#pragma once

#include "base/failure.hpp"

#include <filesystem>
#include <string>
#include <vector>

// Copies each of `sources` to the path at the same place in `destinations`
// with one copy of the shell (the one Explorer makes), its progress window
// and its error dialogs included: existing files are replaced and missing
// folders made without a question. Nothing to copy is done at once. A
// failure says "<what> failed (shell error <code>: <what the code means>)",
// or "<what> was cancelled" (code ERROR_CANCELLED) when the player cancelled
// it. The shell may answer done for a copy that skipped a file (its "Skip"),
// so the caller checks what arrived. Throws only std::bad_alloc.
[[nodiscard]] result<> shell_copy(const std::vector<std::filesystem::path>& sources,
                                  const std::vector<std::filesystem::path>& destinations,
                                  const std::string& what);
