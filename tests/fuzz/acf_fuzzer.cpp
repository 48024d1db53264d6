// Feeds arbitrary bytes to the key-value parser. Besides what the sanitizers
// catch, it checks that a parse either returns an object equal to the
// parser's root and to a copy of it, or raises one of the documented errors,
// and that parsing the same bytes again with the same parser gives the same.

#include "acf/acf_parser.hpp"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>

namespace {

// A parse's outcome: the document, or the error's text.
struct outcome {
  std::optional<acf_value> document;
  std::string error;
  bool operator==(const outcome&) const = default;
};

outcome parse(acf_parser& parser, std::u8string_view text) {
  acf_stream input(text);
  try {
    return {parser.parse_acf(input), {}};
  } catch (const std::runtime_error& error) {
    return {std::nullopt, error.what()};
  } catch (const std::bad_variant_access& error) {
    return {std::nullopt, error.what()};
  }
}

void require(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::u8string_view text(reinterpret_cast<const char8_t*>(data), size);
  acf_parser parser;
  const outcome first = parse(parser, text);
  if (first.document) {
    require(std::holds_alternative<acf_object>(*first.document));
    require(parser.root == *first.document);
    const acf_value copy = *first.document;
    require(copy == *first.document);
  }
  require(parse(parser, text) == first);
  return 0;
}
