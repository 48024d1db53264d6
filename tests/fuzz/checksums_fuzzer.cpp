// Feeds arbitrary bytes to the checksum file reader. Its own format error is
// how it reports bad input; anything else escapes as a finding.

#include "patch/checksums.hpp"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    static_cast<void>(read_checksums(std::string_view(reinterpret_cast<const char*>(data), size), "SHA256SUMS"));
  } catch (const checksum_format_error&) {
  }
  return 0;
}
