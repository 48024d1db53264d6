#pragma once

#include "acf/acf_stream.hpp"
#include "acf/acf_value.hpp"

#include <cstddef>
#include <deque>
#include <memory>
#include <string>

// The deepest an object may lie below a document's root object. Copying and
// destroying a value recurse once per level; this bound keeps that well
// within the 1 MiB stack of a Windows main thread.
inline constexpr std::size_t acf_max_depth = 512;

struct acf_parser;

// The parser's states. Each one is a small heap object owned by the parser;
// installing the next state destroys the running one, so a handler installs
// its successor as its very last step. All states share one size of heap
// block, and a new state is made in the block of the one it replaces, so a
// transition costs no allocation.
namespace acf_parser_states {

struct state;

// Destroys a state and frees its block. Throws nothing.
struct state_deleter {
  void operator()(state* running) const noexcept;
};

// A state: handles one code unit at a time, then the end of input.
struct state {
  // Makes a state of the parser `owner`, which it does not own. Throws nothing.
  explicit state(acf_parser* owner) noexcept : parser(owner) {}
  virtual ~state() = default;
  // Handles one code unit. Throws installer_error for a misplaced brace, an
  // object nested too deep or input after the root object was closed, and
  // std::bad_variant_access for a key with text that opens an object.
  virtual void on_char(char8_t c) = 0;
  // Handles the end of input. Throws installer_error where input may not end.
  virtual void on_eof() = 0;

  acf_parser* parser;
};

// Between pairs, at any depth: `"` begins a key, `}` closes the innermost
// object; the end of input is the end of the document.
struct default_state final : state {
  using state::state;
  // Throws installer_error for `{` and for `}` after the root was closed.
  void on_char(char8_t c) override;
  // Accepts the end, whatever objects are left open. Throws nothing.
  void on_eof() override;
};

// The three states below lie inside a pair, where the input may not end:
// their on_eof throws installer_error("premature end of file").

// Inside the quotes of a key: everything but `"` belongs to the key.
struct read_key final : state {
  using state::state;
  // Appends to the parser's current_key. Throws std::bad_alloc.
  void on_char(char8_t c) override;
  void on_eof() override;
};

// After a key: `"` begins text, `{` opens an object, `}` is an error.
struct wait_for_value final : state {
  using state::state;
  // Throws as acf_parser::open_subobject does, and installer_error for `}`.
  void on_char(char8_t c) override;
  void on_eof() override;
};

// Inside the quotes of a text value: everything but `"` belongs to the text.
struct read_string final : state {
  using state::state;
  // Collects the text; stores the pair at the closing quote. Throws as
  // acf_parser::store_text does.
  void on_char(char8_t c) override;
  void on_eof() override;

  std::u8string value;
};

}  // namespace acf_parser_states

// Reads Steam's key-value documents. Outside quotes only `"`, `{` and `}`
// mean anything; quoted text ends at the next `"` (no escapes); the top
// level holds the root object's pairs; the first value of a key wins, and an
// object given twice merges into the first. One parser can read any number
// of documents, one after another.
struct acf_parser {
  // Reads a document from `input` and returns a copy of it, always an object.
  // Throws installer_error for malformed input, std::bad_variant_access for
  // a key that holds text and then opens an object, std::bad_alloc; after an
  // error the members hold the partial document and the raising state.
  acf_value parse_acf(acf_stream& input);
  // Enters the object under current_key in the innermost open object, adding
  // an empty one if the key is absent. Throws std::bad_variant_access if the
  // key holds text, installer_error if the root object was closed or the
  // object would lie deeper than acf_max_depth.
  void open_subobject();
  // Leaves the innermost open object. Throws installer_error if the root
  // object was closed already.
  void close_subobject();
  // Adds current_key with `value` to the innermost open object unless the key
  // is there already. Throws installer_error if the root object was closed.
  void store_text(std::u8string&& value);

  acf_value root;
  std::unique_ptr<acf_parser_states::state, acf_parser_states::state_deleter> current_state;
  std::deque<acf_object*> object_stack;  // open objects, innermost last; not owned
  std::u8string current_key;
};
