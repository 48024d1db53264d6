#pragma once

#include <filesystem>
#include <functional>
#include <string>

// What the author's tool prints, a line at a time, as UTF-8 on standard
// output (the console is switched to UTF-8). Throws nothing.
void say(const std::string& line);

// Runs `work`; when it throws, prints "<what> failed: <reason>" and returns
// false. The one place where the tool turns failures into words.
bool step(const std::string& what, const std::function<void()>& work);

// The bytes of `archives`\config.json. Throws installer_error when it cannot
// be read or is larger than any configuration (1 MiB).
std::string read_config_bytes(const std::filesystem::path& archives);

// A path as the author sees it, relative to `folder` when below it.
std::string shown(const std::filesystem::path& path, const std::filesystem::path& folder);
