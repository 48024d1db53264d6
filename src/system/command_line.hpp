#pragma once

#include <string>
#include <string_view>
#include <vector>

// The words of the command line `text` as Windows splits one for a
// program's arguments (CommandLineToArgvW): the program first, quotes taken
// off, `--name="A B"` one word `--name=A B`. Empty text, text of blanks
// alone and text that Windows cannot split give no words. Throws only
// std::bad_alloc.
std::vector<std::wstring> split_command_line(std::wstring_view text);
