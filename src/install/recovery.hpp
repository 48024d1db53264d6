#pragma once

#include <filesystem>

// Puts right what earlier runs that were killed, or could not finish, left
// in `game_folder`, before this run reads a record or changes a file: an
// install that kept originals and did not commit ("<id>.new") is undone, a
// removal that did not finish ("<id>.removing") is undone so that the
// patch is on as before, a finished removal's leftovers are deleted, the
// originals that a committed install replaced are deleted, and the
// originals that a killed install left aside are put back. Needs the game
// folder's install lock. Throws installer_error: install_undone when
// leftovers in the way cannot be deleted, install_left when files cannot
// be put back, nothing_changed when the backup folder cannot be listed;
// and record_error when the record of a killed removal cannot be trusted.
void finish_earlier_runs(const std::filesystem::path& game_folder);
