#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <variant>

// How every module says that something did not happen, and why.

// What a failure's code is: Windows' own error code (GetLastError(), an
// LSTATUS, an HRESULT of the Win32 facility turned into its code), or an
// HRESULT of another facility (COM, XmlLite).
enum class code_kind : unsigned char { windows, hresult };

// Why something did not happen: what failed, in English, with Windows' own
// words for the code already in it ("moving C:\a to C:\b failed (error 5:
// Access is denied.)"); the file or folder it concerned; and the code, for
// callers that tell some codes apart (0 when there is none).
struct failure {
  failure() = default;
  explicit failure(std::string what, std::filesystem::path object = {}, unsigned long code = 0,
                   code_kind kind = code_kind::windows)
      : what(std::move(what)), object(std::move(object)), code(code), kind(kind) {}

  std::string what;
  std::filesystem::path object;
  unsigned long code = 0;
  code_kind kind = code_kind::windows;
};

// A value, or the failure that kept it from being had. result<> is done or
// the failure. Test it before using the value: `if (!read) ... read.error()`.
template <class value_type = void>
class [[nodiscard]] result {
 public:
  result(value_type value) : state_(std::in_place_index<0>, std::move(value)) {}
  result(failure why) : state_(std::in_place_index<1>, std::move(why)) {}

  explicit operator bool() const noexcept { return state_.index() == 0; }
  value_type& operator*() & { return std::get<0>(state_); }
  const value_type& operator*() const& { return std::get<0>(state_); }
  value_type&& operator*() && { return std::get<0>(std::move(state_)); }
  value_type* operator->() { return &std::get<0>(state_); }
  const value_type* operator->() const { return &std::get<0>(state_); }
  const failure& error() const { return std::get<1>(state_); }
  value_type value_or(value_type fallback) const& { return *this ? **this : std::move(fallback); }

 private:
  std::variant<value_type, failure> state_;
};

template <>
class [[nodiscard]] result<void> {
 public:
  result() = default;
  result(failure why) : failure_(std::move(why)) {}

  explicit operator bool() const noexcept { return !failure_; }
  const failure& error() const { return *failure_; }

 private:
  std::optional<failure> failure_;
};

// What a failure that ends the run left of the game folder: it decides what
// the player is told.
enum class aftermath {
  nothing_changed,  // it came before anything in the game folder changed
  install_undone,   // the patch's copy failed and was undone: the game is as it was
  install_left,     // undoing the copy failed too: some files are not where they were
  removal_undone,   // taking the patch off failed and was undone: the patch is on as before
  removal_left,     // undoing that failed too
};

// The one kind of exception that this product throws: a failure that ends
// the run, and what it left behind. what() is why().what.
class installer_error : public std::runtime_error {
 public:
  explicit installer_error(failure why, aftermath after = aftermath::nothing_changed)
      : std::runtime_error(why.what), why_(std::move(why)), after_(after) {}
  explicit installer_error(std::string what) : installer_error(failure{std::move(what)}) {}

  const failure& why() const noexcept { return why_; }
  aftermath after() const noexcept { return after_; }

 private:
  failure why_;
  aftermath after_;
};

// The value of `outcome`; its failure, thrown as installer_error, when it has
// none: for callers to whom that failure ends the run.
template <class value_type>
value_type or_throw(result<value_type> outcome) {
  if (!outcome) {
    throw installer_error(outcome.error());
  }
  return std::move(*outcome);
}

inline void or_throw(const result<>& outcome) {
  if (!outcome) {
    throw installer_error(outcome.error());
  }
}
