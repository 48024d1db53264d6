#pragma once

#include "steam/library_search.hpp"

#include <filesystem>
#include <optional>

// Steam for Linux, as a program under Wine (Proton on a Steam Deck) reaches
// it through Wine's drive Z:. Only under Wine: it reads Wine's variables.

// The game's folder in Steam for Linux's libraries: first in the library
// that holds the Wine prefix, when Proton made it there
// (<library>/steamapps/compatdata/<app id>/pfx); then in the libraries that
// Steam's library list names in each of its usual folders below the Unix
// home, in this order: ~/.steam/steam, ~/.local/share/Steam, the Flatpak's
// and the Snap's. A folder without a library list, and a library or list
// that `search` read before, are passed over. Throws as
// library_search::in_library_list.
std::optional<std::filesystem::path> locate_linux_steam(library_search& search);
