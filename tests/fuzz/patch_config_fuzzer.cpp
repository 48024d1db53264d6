// Feeds arbitrary bytes to the configuration loader. The JSON library's own
// exceptions are how it reports bad input; anything else escapes as a finding.

#include "patch/patch_config.hpp"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream input(std::string(reinterpret_cast<const char*>(data), size));
  try {
    static_cast<void>(read_patch_config(input));
  } catch (const nlohmann::json::exception&) {
  }
  return 0;
}
