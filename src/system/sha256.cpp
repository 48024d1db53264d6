#include "system/sha256.hpp"

#include "system/file_operations.hpp"
#include "system/handle.hpp"
#include "system/system_library.hpp"
#include "system/text.hpp"
#include "system/windows_error.hpp"

#include <fmt/format.h>
#include <windows.h>
// After windows.h, which it needs.
#include <bcrypt.h>

#include <algorithm>
#include <atomic>
#include <exception>
#include <thread>

namespace fs = std::filesystem;

namespace {

// Read in pieces this large: few calls, and memory that stays small.
constexpr DWORD piece_size = 1 << 20;

unique_module load_bcrypt() {
  unique_module module = load_system_library(L"bcrypt.dll");
  if (!module) {
    throw windows_error("loading bcrypt.dll from System32 failed", ::GetLastError());
  }
  return module;
}

template <class function_type>
function_type* bcrypt_function(HMODULE module, const char* name) {
  auto* const function = function_of<function_type>(module, name);
  if (!function) {
    throw windows_error(fmt::format("bcrypt.dll has no {}", name), ::GetLastError());
  }
  return function;
}

}  // namespace

// The library and the functions of it that hashing uses.
struct bcrypt_library {
  unique_module module = load_bcrypt();
  decltype(&::BCryptOpenAlgorithmProvider) open =
      bcrypt_function<decltype(::BCryptOpenAlgorithmProvider)>(module.get(), "BCryptOpenAlgorithmProvider");
  decltype(&::BCryptCloseAlgorithmProvider) close =
      bcrypt_function<decltype(::BCryptCloseAlgorithmProvider)>(module.get(), "BCryptCloseAlgorithmProvider");
  decltype(&::BCryptCreateHash) create =
      bcrypt_function<decltype(::BCryptCreateHash)>(module.get(), "BCryptCreateHash");
  decltype(&::BCryptHashData) hash =
      bcrypt_function<decltype(::BCryptHashData)>(module.get(), "BCryptHashData");
  decltype(&::BCryptFinishHash) finish =
      bcrypt_function<decltype(::BCryptFinishHash)>(module.get(), "BCryptFinishHash");
  decltype(&::BCryptDestroyHash) destroy =
      bcrypt_function<decltype(::BCryptDestroyHash)>(module.get(), "BCryptDestroyHash");
  BCRYPT_ALG_HANDLE algorithm = nullptr;

  bcrypt_library() {
    check(open(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0), "BCryptOpenAlgorithmProvider");
  }
  ~bcrypt_library() { close(algorithm, 0); }
  bcrypt_library(const bcrypt_library&) = delete;
  bcrypt_library& operator=(const bcrypt_library&) = delete;

  static void check(NTSTATUS status, const char* operation) {
    if (status < 0) {
      throw windows_error(fmt::format("{} failed", operation), static_cast<unsigned long>(status));
    }
  }
};

namespace {

// One hash in progress, destroyed with its scope.
class running_hash {
 public:
  explicit running_hash(const bcrypt_library& library) : library_(library) {
    // Without a buffer of ours, BCrypt keeps the hash's state itself.
    library.check(library.create(library.algorithm, &hash_, nullptr, 0, nullptr, 0, 0), "BCryptCreateHash");
  }
  ~running_hash() { library_.destroy(hash_); }
  running_hash(const running_hash&) = delete;
  running_hash& operator=(const running_hash&) = delete;

  void add(const void* data, std::size_t size) {
    library_.check(
        library_.hash(hash_, static_cast<PUCHAR>(const_cast<void*>(data)), static_cast<ULONG>(size), 0),
        "BCryptHashData");
  }
  sha256_digest finish() {
    sha256_digest digest{};
    library_.check(library_.finish(hash_, digest.data(), static_cast<ULONG>(digest.size()), 0),
                   "BCryptFinishHash");
    return digest;
  }

 private:
  const bcrypt_library& library_;
  BCRYPT_HASH_HANDLE hash_ = nullptr;
};

}  // namespace

std::string to_hex(const sha256_digest& digest) {
  std::string hex;
  hex.reserve(2 * digest.size());
  for (const std::uint8_t byte : digest) {
    hex += fmt::format("{:02x}", byte);
  }
  return hex;
}

sha256::sha256() : library_(std::make_unique<bcrypt_library>()) {}

sha256::~sha256() = default;

sha256_digest sha256::of(std::string_view bytes) const {
  running_hash hash(*library_);
  hash.add(bytes.data(), bytes.size());
  return hash.finish();
}

std::optional<sha256_digest> sha256::of_file(const fs::path& file, const hash_progress& progress) const {
  const auto [handle, size] = open_for_reading(file);
  // Most patch files are small: a piece as large as the file (the end of
  // the file is seen as a read of nothing), and not cleared first.
  const DWORD room = static_cast<DWORD>(std::clamp<unsigned long long>(size + 1, 1, piece_size));
  const auto piece = std::make_unique_for_overwrite<char[]>(room);
  running_hash hash(*library_);
  std::uint64_t done = 0;
  while (true) {
    DWORD read = 0;
    if (!::ReadFile(handle.get(), piece.get(), room, &read, nullptr)) {
      throw windows_error(fmt::format("reading {} failed", path_to_utf8(file)), ::GetLastError());
    }
    if (read == 0) {
      return hash.finish();
    }
    hash.add(piece.get(), read);
    done += read;
    if (progress && !progress(done)) {
      return std::nullopt;
    }
  }
}

std::vector<std::optional<std::string>> hex_digests_of_files(const std::vector<fs::path>& files) {
  const sha256 hasher;
  std::vector<std::optional<std::string>> digests(files.size());
  std::vector<std::exception_ptr> failures(files.size());
  std::atomic<std::size_t> next = 0;
  const auto hash_files = [&] {
    for (std::size_t index; (index = next++) < files.size();) {
      try {
        digests[index] = to_hex(*hasher.of_file(files[index]));
      } catch (const windows_error& error) {
        if (error.code() != ERROR_FILE_NOT_FOUND && error.code() != ERROR_PATH_NOT_FOUND) {
          failures[index] = std::current_exception();
        }
      } catch (...) {
        failures[index] = std::current_exception();
      }
    }
  };
  {
    std::vector<std::jthread> workers;
    for (unsigned worker = 0; worker < std::clamp(std::thread::hardware_concurrency(), 1u, 4u); ++worker) {
      workers.emplace_back(hash_files);
    }
  }  // the workers end with this scope
  for (const std::exception_ptr& failure : failures) {
    if (failure) {
      std::rethrow_exception(failure);
    }
  }
  return digests;
}
