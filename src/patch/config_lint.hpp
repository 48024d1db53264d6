#pragma once

#include <string>
#include <string_view>
#include <vector>

// Every problem that can be told of a config.json's bytes at once, for patch
// authors, in plain words: a file that is not UTF-8 (saved as UTF-16 or as
// ANSI, said in those words), JSON that does not parse, a member missing or
// of the wrong type, a member that looks like a misspelling of one the
// installer knows, a game_versions hash that is not 64 hexadecimal digits,
// a path that leaves its folder, or a text of messages that cannot stand in
// for the installer's own. Empty when the installer would read the
// file. Members that the installer does not know and that look like no
// misspelling (notes, comments of the author's own) are not problems.
// Throws only std::bad_alloc.
std::vector<std::string> config_problems(std::string_view bytes);
