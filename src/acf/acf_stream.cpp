#include "acf/acf_stream.hpp"

#include <cstddef>
#include <cstdio>

namespace {

// Large enough that a file is read in few system calls, small enough not to
// matter beside the document that is read.
constexpr std::size_t file_buffer_size = std::size_t{64} * 1024;

}  // namespace

acf_stream::acf_stream(std::u8string_view text) noexcept
    : next_(reinterpret_cast<const char*>(text.data())), end_(next_ + text.size()) {}

acf_stream::acf_stream(std::FILE* source, std::size_t buffer_size)
    : state_(source == nullptr ? std::ios_base::failbit : std::ios_base::goodbit),
      source_(source),
      buffer_(source == nullptr ? 0 : buffer_size) {}

acf_stream& acf_stream::get_after_refill(char8_t& unit) noexcept {
  if (!refill()) {
    state_ |= std::ios_base::failbit;
    return *this;
  }
  unit = static_cast<char8_t>(*next_++);
  return *this;
}

// Sets eof at the end of input, bad on a read error. A file whose error
// indicator is set is not read again: a read that failed midway ends the
// input after the units it delivered, as a read error rather than as the end.
bool acf_stream::refill() noexcept {
  if (!good()) {
    return false;
  }
  std::size_t count = 0;
  if (source_ != nullptr && !std::ferror(source_)) {
    count = std::fread(buffer_.data(), 1, buffer_.size(), source_);
  }
  next_ = buffer_.data();
  end_ = next_ + count;
  if (count != 0) {
    return true;
  }
  state_ |= source_ != nullptr && std::ferror(source_) ? std::ios_base::badbit : std::ios_base::eofbit;
  return false;
}

acf_file_stream::acf_file_stream(std::FILE* file) : acf_stream(file, file_buffer_size) {}
