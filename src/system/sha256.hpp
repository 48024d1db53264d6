#pragma once

#include "base/failure.hpp"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using sha256_digest = std::array<std::uint8_t, 32>;

// The digest as 64 lower-case hexadecimal digits, as sha256sum writes it.
// Throws only std::bad_alloc.
std::string to_hex(const sha256_digest& digest);

struct bcrypt_library;

// Windows' own SHA-256 (BCrypt), from bcrypt.dll loaded from System32 only,
// so that a DLL planted beside the installer is never used.
class sha256 {
 public:
  // Throws installer_error when bcrypt.dll or its SHA-256 cannot be had.
  sha256();
  ~sha256();
  sha256(const sha256&) = delete;
  sha256& operator=(const sha256&) = delete;

  // The digest of `bytes`. Throws installer_error when hashing fails.
  sha256_digest of(std::string_view bytes) const;
  // The digest of the file `file`, read once from start to end (others may
  // read it meanwhile); `read` (when given) is called with the bytes read
  // so far after each piece, and stops the reading, with a failure whose
  // code is ERROR_CANCELLED, when it answers false. A failure names the
  // file (not found too). Throws only std::bad_alloc.
  [[nodiscard]] result<sha256_digest> of_file(const std::filesystem::path& file,
                                              const std::function<bool(std::uint64_t)>& read = {}) const;

 private:
  std::unique_ptr<bcrypt_library> library_;
};

// Told while files are hashed, about every 50 ms on the calling thread: the
// bytes hashed so far, and a file being read. False stops the hashing.
using hash_progress = std::function<bool(std::uint64_t bytes_done, const std::filesystem::path& file)>;

// The SHA-256 of each of `files` in hexadecimal, as to_hex writes it, or
// nothing for a file that is not there; hashed on each core (up to four).
// The failure of the first file (in the order of `files`) that cannot be
// read, or one whose code is ERROR_CANCELLED when `progress` stopped it, or
// BCrypt's when it cannot be had. Throws only std::bad_alloc.
[[nodiscard]] result<std::vector<std::optional<std::string>>> sha256_of_files(
    const std::vector<std::filesystem::path>& files, const hash_progress& progress = {});
