#pragma once

#include <concepts>
#include <cstddef>
#include <cstdio>
#include <ios>
#include <string>
#include <string_view>
#include <vector>

// An input stream of 8-bit code units for the key-value parser, reading from
// memory; acf_file_stream reads an open C file. Extraction converts and skips
// nothing. The state reads as std::istream's does: the extraction that finds
// no more input sets eof and fail, a read error sets bad and fail, and a
// stream that is not good delivers nothing more. Neither copyable nor movable.
class acf_stream {
 public:
  // Reads the bytes of `text`, which must outlive the stream. Throws nothing.
  explicit acf_stream(std::u8string_view text) noexcept;
  // Deleted: a temporary string would not outlive the stream.
  template <class text_type>
  requires std::same_as<text_type, std::u8string>
  explicit acf_stream(text_type&& text) = delete;

  acf_stream(const acf_stream&) = delete;
  acf_stream& operator=(const acf_stream&) = delete;

  // Extracts the next code unit into `unit`; at the end of input, or if the
  // stream is not good, leaves `unit` as it was and sets fail. Throws nothing.
  acf_stream& get(char8_t& unit) noexcept {
    if (next_ != end_) [[likely]] {
      unit = static_cast<char8_t>(*next_++);
      return *this;
    }
    return get_after_refill(unit);
  }

  // Whether no extraction has failed yet. Throws nothing.
  bool good() const noexcept { return state_ == std::ios_base::goodbit; }
  // Whether an extraction found the end of input. Throws nothing.
  bool eof() const noexcept { return (state_ & std::ios_base::eofbit) != 0; }
  // Whether an extraction failed or the stream was made without a file. Throws nothing.
  bool fail() const noexcept { return (state_ & (std::ios_base::failbit | std::ios_base::badbit)) != 0; }
  // Whether reading the source failed with an error. Throws nothing.
  bool bad() const noexcept { return (state_ & std::ios_base::badbit) != 0; }
  // The same as !fail(). Throws nothing.
  explicit operator bool() const noexcept { return !fail(); }

 protected:
  // A stream that reads `source` through a buffer of `buffer_size` units, or
  // that has failed already when `source` is null. Throws std::bad_alloc.
  acf_stream(std::FILE* source, std::size_t buffer_size);

 private:
  acf_stream& get_after_refill(char8_t& unit) noexcept;
  bool refill() noexcept;

  // The units not extracted yet, as char, which may alias the char8_t units
  // of memory as well as the chars of the buffer.
  const char* next_ = nullptr;
  const char* end_ = nullptr;
  std::ios_base::iostate state_ = std::ios_base::goodbit;
  std::FILE* source_ = nullptr;  // none for memory
  std::vector<char> buffer_;
};

// An acf_stream over a C file that the caller opened, in the mode and with
// the sharing the file needs, and keeps open while the stream is used: the
// stream reads it from where it stands and converts nothing further. No file
// (null) makes a stream that has failed already, so it delivers nothing.
class acf_file_stream : public acf_stream {
 public:
  // Reads `file`, which may be null. Throws std::bad_alloc.
  explicit acf_file_stream(std::FILE* file);
};
