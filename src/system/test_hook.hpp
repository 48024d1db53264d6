#pragma once

#include <string_view>

// Lets a test stop a run at a named step of changing the game folder, where
// timing alone could not reach it: when a test has made the event
// "Local\patch-installer-test-<step>", the run sets it and waits until the
// test sets "Local\patch-installer-test-<step>-go" (or ends the process
// there, as a crash would). No such event exists on a player's machine; the
// run then goes on at once. Throws nothing.
void pause_for_test(std::wstring_view step) noexcept;
