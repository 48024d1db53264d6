#include "acf_stream.hpp"

#include <cstddef>

namespace {

// Large enough that a file is read in few system calls, small enough not to
// matter beside the document that is read.
constexpr std::size_t file_buffer_size = std::size_t{64} * 1024;

}  // namespace

acf_stream::acf_stream(std::u8string_view text) noexcept
    : next_(reinterpret_cast<const char*>(text.data())), end_(next_ + text.size()) {}

acf_stream::acf_stream(std::streambuf* source, std::size_t buffer_size)
    : source_(source), buffer_(buffer_size) {}

acf_stream& acf_stream::get_after_refill(char8_t& unit) noexcept {
  if (!refill()) {
    state_ |= std::ios_base::failbit;
    return *this;
  }
  unit = static_cast<char8_t>(*next_++);
  return *this;
}

// Sets eof at the end of input, bad on a read error (libstdc++'s filebuf
// throws then, as std::istream expects).
bool acf_stream::refill() noexcept {
  if (!good()) return false;
  std::streamsize count = 0;
  try {
    if (source_ != nullptr)
      count = source_->sgetn(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
  } catch (...) {
    state_ |= std::ios_base::badbit;
    return false;
  }
  next_ = buffer_.data();
  end_ = next_ + count;
  if (count == 0) state_ |= std::ios_base::eofbit;
  return count != 0;
}

// std::filebuf opened without ios::binary opens the file in text mode
// (libstdc++ on MinGW calls _wfopen, which shares the file with everyone).
// Reads larger than filebuf's own buffer bypass it, so the file's bytes are
// copied once, into buffer_.
acf_file_stream::acf_file_stream(const std::filesystem::path& file) : acf_stream(&file_, file_buffer_size) {
  if (file_.open(file, std::ios_base::in) == nullptr) set_failed();
}
