#include "acf/acf_parser.hpp"

#include "acf/acf_access.hpp"
#include "base/failure.hpp"

#include <algorithm>
#include <cstddef>
#include <new>
#include <stdexcept>
#include <type_traits>
#include <utility>

namespace {

namespace states = acf_parser_states;

// The size of the heap block every state lives in.
constexpr std::size_t state_block_size =
    std::max({sizeof(states::default_state), sizeof(states::read_key), sizeof(states::wait_for_value),
              sizeof(states::read_string)});

// Makes a `next` state of `parser` current, destroying the running state
// first and reusing its block; only the first state allocates one.
template <class next>
void install(acf_parser* parser) {
  static_assert(sizeof(next) <= state_block_size && alignof(next) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__);
  static_assert(std::is_nothrow_constructible_v<next, acf_parser*>);
  void* block = nullptr;
  if (states::state* running = parser->current_state.release()) {
    block = dynamic_cast<void*>(running);
    running->~state();
  } else {
    block = ::operator new(state_block_size);
  }
  parser->current_state.reset(::new (block) next(parser));
}

// The one end of input that the three states inside a pair share.
[[noreturn]] void end_inside_pair() { throw installer_error("premature end of file"); }

installer_error root_closed_error() {
  return installer_error("input continues after the outermost object was closed");
}

installer_error too_deep_error() {
  return installer_error("objects nested deeper than " + std::to_string(acf_max_depth) + " levels");
}

acf_object& innermost_object(std::deque<acf_object*>& object_stack) {
  if (object_stack.empty()) {
    throw root_closed_error();
  }
  return *object_stack.back();
}

}  // namespace

// A code unit costs one inlined extraction and the state's one virtual call;
// keys and texts grow in place and move into the tree, which is copied once,
// on return.
acf_value acf_parser::parse_acf(acf_stream& input) {
  root = acf_object{};
  object_stack = {};
  object_stack.push_back(&std::get<acf_object>(root));
  install<acf_parser_states::default_state>(this);
  char8_t c{};
  for (input.get(c); input.good(); input.get(c)) current_state->on_char(c);
  current_state->on_eof();
  return root;
}

// The stack holds the root and one entry per open object below it, so its
// size is the depth of the object about to be opened.
void acf_parser::open_subobject() {
  acf_object& parent = innermost_object(object_stack);
  if (object_stack.size() > acf_max_depth) {
    throw too_deep_error();
  }
  acf_value& entry = parent.try_emplace(current_key, acf_object{}).first->second;
  object_stack.push_back(&object_of(entry));
}

void acf_parser::close_subobject() {
  if (object_stack.empty()) {
    throw root_closed_error();
  }
  object_stack.pop_back();
}

void acf_parser::store_text(std::u8string&& value) {
  innermost_object(object_stack).try_emplace(current_key, std::move(value));
}

namespace acf_parser_states {

void state_deleter::operator()(state* running) const noexcept {
  void* block = dynamic_cast<void*>(running);
  running->~state();
  ::operator delete(block);
}

void default_state::on_char(char8_t c) {
  switch (c) {
    case u8'"':
      parser->current_key.clear();
      install<read_key>(parser);
      return;
    case u8'{':
      throw installer_error("not a valid place to open a subobject");
    case u8'}':
      parser->close_subobject();
      return;
    default:
      return;
  }
}

void default_state::on_eof() {}

void read_key::on_eof() { end_inside_pair(); }
void wait_for_value::on_eof() { end_inside_pair(); }
void read_string::on_eof() { end_inside_pair(); }

void read_key::on_char(char8_t c) {
  if (c == u8'"') {
    install<wait_for_value>(parser);
  } else {
    parser->current_key.push_back(c);
  }
}

void wait_for_value::on_char(char8_t c) {
  switch (c) {
    case u8'"':
      install<read_string>(parser);
      return;
    case u8'{':
      parser->open_subobject();
      install<default_state>(parser);
      return;
    case u8'}':
      throw installer_error("not a valid place to close a subobject");
    default:
      return;
  }
}

void read_string::on_char(char8_t c) {
  if (c == u8'"') {
    parser->store_text(std::move(value));
    install<default_state>(parser);
  } else {
    value.push_back(c);
  }
}

}  // namespace acf_parser_states
