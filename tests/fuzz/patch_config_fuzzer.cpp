// Feeds arbitrary bytes to the configuration loader and to the authors'
// check of a configuration. The loader reports bad input by the JSON
// library's exceptions and its own config_error, the check by its list of
// problems; anything else escapes as a finding.

#include "patch/config_lint.hpp"
#include "patch/patch_config.hpp"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::istringstream input(bytes);
  try {
    static_cast<void>(read_patch_config(input));
  } catch (const nlohmann::json::exception&) {
  } catch (const config_error&) {
  }
  static_cast<void>(config_problems(bytes));
  return 0;
}
