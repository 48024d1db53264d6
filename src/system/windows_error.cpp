#include "system/windows_error.hpp"

#include <fmt/format.h>

std::string describe_windows_error(const std::string& what, unsigned long code) {
  return fmt::format("{} (error {})", what, code);
}
