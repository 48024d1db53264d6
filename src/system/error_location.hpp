#pragma once

#include <exception>
#include <filesystem>
#include <utility>

// The file that a run is reading at the moment, so that whoever reports a
// failure can say which file it came from: the reason alone ("bad variant
// access") does not tell a player which file to look at.
struct error_location {
  std::filesystem::path file;  // as the player knows it; empty when none
};

// Records `file` in `location` for this scope's lifetime. Left normally, the
// scope restores what was there before; left by an exception, it keeps the
// record for the code that catches it. Throws only std::bad_alloc.
class reading_scope {
 public:
  reading_scope(error_location& location, std::filesystem::path file)
      : location_(location), previous_(std::exchange(location.file, std::move(file))) {}
  ~reading_scope() {
    if (std::uncaught_exceptions() == exceptions_) {
      location_.file = std::move(previous_);
    }
  }
  reading_scope(const reading_scope&) = delete;
  reading_scope& operator=(const reading_scope&) = delete;

 private:
  error_location& location_;
  std::filesystem::path previous_;
  int exceptions_ = std::uncaught_exceptions();
};
