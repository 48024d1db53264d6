#pragma once

#include "installer/messages.hpp"
#include "system/error_location.hpp"

// Exit codes of the installer process.
enum class exit_code : int {
  installed = 0,
  game_running = 1,
  game_not_found = 2,
  failed = 3,         // every failure, a damaged or cancelled check, another installer at work
  wrong_version = 4,  // folders of the game were found, none of a version the patch accepts
  removed = 5,        // the patch was on the game, and the player took it off
};

// Installs the patch in `archives` beside the executable: reads config.json,
// refuses while the game runs, checks a sealed patch, finds the game folder
// (registry, Steam, GOG, Epic, Xbox app, Ubisoft Connect, Heroic, then the
// player when config.json allows it), copies the patch files there and
// shows the outcome in one message box (none when the player cancels the
// check or the folder picker). When the game holds exactly the patch as an
// install that kept the originals left it, asks instead whether to take it
// off, and does so for Yes. Every expected outcome is told and returned;
// a failure leaves as an exception (installer_error, or a library's) before
// any later stage runs, with the file it came from, if any, recorded in
// `location`; `messages` is then in the run's language (English before
// config.json was read).
exit_code run_installer(error_location& location, player_messages& messages);
