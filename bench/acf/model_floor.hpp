#pragma once

#include "acf/acf_value.hpp"

#include <string>
#include <vector>

// The work that any parser building this document model must do, without
// the parsing: a document's pairs, cut out of the text beforehand, are
// stored into a new tree with the same map operations parse_acf uses; the
// benchmark then copies the tree, as parse_acf does for its result, and
// destroys both. Timing that against parse_acf shows how much of a parse is
// the parser's own.

// One step of a document: a pair with text, a key that opens an object, or
// the closing brace of an object.
struct model_step {
  enum kind_type { text, open, close } kind;
  std::u8string key;
  std::u8string value;
};

// The steps of a well-formed document without escapes, in file order.
// Throws std::bad_alloc.
std::vector<model_step> cut_into_steps(const std::u8string& document);

// The document that `steps` make, built as parse_acf builds it: the first
// value of a key wins, an object given twice merges. Throws std::bad_alloc and
// std::bad_variant_access for a key with text that opens an object.
acf_value store_steps(const std::vector<model_step>& steps);
