#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A SHA-256 digest.
using sha256_digest = std::array<std::uint8_t, 32>;

// The digest as 64 lower-case hexadecimal digits, as sha256sum writes it.
// Throws only std::bad_alloc.
std::string to_hex(const sha256_digest& digest);

// Called while a file is hashed with the bytes read so far; false stops.
using hash_progress = std::function<bool(std::uint64_t bytes_done)>;

struct bcrypt_library;

// Windows' own SHA-256 (BCrypt), from bcrypt.dll loaded from System32 only,
// so that a DLL planted beside the installer is never used. Open it once and
// hash many files with it.
class sha256 {
 public:
  // Throws windows_error when bcrypt.dll or its SHA-256 cannot be had.
  sha256();
  ~sha256();
  sha256(const sha256&) = delete;
  sha256& operator=(const sha256&) = delete;

  // The digest of `bytes`. Throws windows_error when hashing fails.
  sha256_digest of(std::string_view bytes) const;
  // The digest of the file `file`, read once from start to end (others may
  // read it meanwhile), or nothing when `progress` stopped it. Throws
  // windows_error naming the file when it cannot be opened or read (code()
  // tells "not found" apart) or hashing fails.
  std::optional<sha256_digest> of_file(const std::filesystem::path& file,
                                       const hash_progress& progress = {}) const;

 private:
  std::unique_ptr<bcrypt_library> library_;
};

// The digest of each of `files` as to_hex writes it, or nothing for a file
// that is not there; hashed on each core (up to four). Throws windows_error
// for a file that cannot be read, and what sha256's constructor throws.
std::vector<std::optional<std::string>> hex_digests_of_files(const std::vector<std::filesystem::path>& files);
