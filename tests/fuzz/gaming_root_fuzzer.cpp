// Feeds arbitrary bytes to the reader of a drive's .GamingRoot, which
// reports nothing and may only return the paths it found; a read past the
// end or any other finding of the sanitizers escapes.

#include "xbox/gaming_root.hpp"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static_cast<void>(read_gaming_root(std::string_view(reinterpret_cast<const char*>(data), size)));
  return 0;
}
