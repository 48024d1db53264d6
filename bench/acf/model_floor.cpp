#include "model_floor.hpp"

#include <algorithm>
#include <utility>
#include <variant>

namespace {

// The text between the quote at `at` and the next quote, or the end; `at`
// moves past the closing quote.
std::u8string quoted_text(const std::u8string& document, std::size_t& at) {
  const std::size_t end = std::min(document.find(u8'"', at + 1), document.size());
  std::u8string text = document.substr(at + 1, end - at - 1);
  at = end + 1;
  return text;
}

}  // namespace

std::vector<model_step> cut_into_steps(const std::u8string& document) {
  std::vector<model_step> steps;
  std::size_t at = 0;
  while (at < document.size()) {
    if (document[at] == u8'}') steps.push_back({model_step::close, {}, {}});
    if (document[at] != u8'"') {
      ++at;
      continue;
    }
    std::u8string key = quoted_text(document, at);
    at = document.find_first_of(u8"\"{", at);
    if (at == std::u8string::npos) break;
    if (document[at] == u8'{') {
      steps.push_back({model_step::open, std::move(key), {}});
      ++at;
    } else {
      steps.push_back({model_step::text, std::move(key), quoted_text(document, at)});
    }
  }
  return steps;
}

// As in the parser: the key is collected in one reused string, each text in
// a new one that moves into the tree, and the first value of a key wins.
acf_value store_steps(const std::vector<model_step>& steps) {
  acf_value root = acf_object{};
  std::vector<acf_object*> open_objects{&std::get<acf_object>(root)};
  std::u8string key;
  for (const model_step& step : steps) {
    if (step.kind == model_step::close) {
      open_objects.pop_back();
      continue;
    }
    key = step.key;
    acf_object& innermost = *open_objects.back();
    if (step.kind == model_step::open) {
      open_objects.push_back(&std::get<acf_object>(innermost.try_emplace(key, acf_object{}).first->second));
    } else {
      innermost.try_emplace(key, std::u8string(step.value));
    }
  }
  return root;
}
