#pragma once

// Makes every later DLL load on demand search System32 only, never the
// executable's folder (a Downloads folder full of other files) nor the
// current folder: a DLL planted beside the installer is then never loaded.
// Call it first, before anything can load a DLL. Returns false where the
// system cannot restrict the search (Windows 7 without its 2011 loader
// update); the current folder is still removed from the search then.
// Throws nothing.
bool restrict_dll_search_to_system32() noexcept;
