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
#include <chrono>
#include <semaphore>
#include <thread>

namespace fs = std::filesystem;

namespace {

// Read in pieces this large: few calls, and memory that stays small.
constexpr DWORD piece_size = 1 << 20;

unique_hmodule load_bcrypt() {
  unique_hmodule module = load_system_library(L"bcrypt.dll");
  if (!module) {
    throw installer_error(last_windows_failure("loading bcrypt.dll from System32 failed"));
  }
  return module;
}

template <class function_type>
function_type* bcrypt_function(HMODULE module, const char* name) {
  auto* const function = function_of<function_type>(module, name);
  if (!function) {
    throw installer_error(last_windows_failure(fmt::format("bcrypt.dll has no {}", name)));
  }
  return function;
}

}  // namespace

// The library and the functions of it that hashing uses.
struct bcrypt_library {
  unique_hmodule module = load_bcrypt();
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

  // BCrypt answers with an NTSTATUS, which is no Windows code.
  static void check(NTSTATUS status, const char* operation) {
    if (status < 0) {
      throw installer_error(ntstatus_failure(fmt::format("{} failed", operation), status));
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

// Hashes files on several threads; the calling thread tells the progress.
class hashing_pool {
 public:
  explicit hashing_pool(const std::vector<fs::path>& files) : files_(files), outcomes_(files.size()) {}

  // Hashes every file, or stops when `progress` says so.
  void run(const hash_progress& progress) {
    const unsigned workers = std::clamp<unsigned>(std::thread::hardware_concurrency(), 1, 4);
    std::vector<std::jthread> threads;
    for (unsigned worker = 0; worker < workers && worker < files_.size(); ++worker) {
      threads.emplace_back([this] { work(); });
    }
    for (std::size_t finished = 0; progress && finished < files_.size() && !stop_;) {
      finished += finished_one_.try_acquire_for(std::chrono::milliseconds(50));
      try {
        stop_ = !progress(done_, files_[current_]);
      } catch (...) {
        stop_ = true;  // the workers stop before the failure leaves
        throw;
      }
    }
  }  // the workers end with the threads

  [[nodiscard]] result<std::vector<std::optional<std::string>>> digests() const {
    std::vector<std::optional<std::string>> hex;
    for (const std::optional<result<sha256_digest>>& outcome : outcomes_) {
      if (!outcome) {
        return windows_failure("hashing was cancelled", ERROR_CANCELLED);
      }
      if (*outcome) {
        hex.push_back(to_hex(**outcome));
      } else if (is_not_found(outcome->error())) {
        hex.emplace_back();
      } else {
        return outcome->error();
      }
    }
    return hex;
  }

 private:
  void work() {
    for (std::size_t index; !stop_ && (index = next_++) < files_.size();) {
      current_ = index;
      outcomes_[index] = hash(files_[index]);
      if (!*outcomes_[index] && outcomes_[index]->error().code == ERROR_CANCELLED) {
        outcomes_[index].reset();
      }
      finished_one_.release();
    }
  }

  // Nothing may leave a worker thread: a failure of BCrypt is the file's.
  [[nodiscard]] result<sha256_digest> hash(const fs::path& file) {
    std::uint64_t counted = 0;
    try {
      return hasher_.of_file(file, [&](std::uint64_t read) {
        done_ += read - counted;
        counted = read;
        return !stop_;
      });
    } catch (const installer_error& error) {
      return error.why();
    } catch (const std::bad_alloc&) {
      return windows_failure("hashing " + path_to_utf8(file) + " failed", ERROR_NOT_ENOUGH_MEMORY, file);
    }
  }

  const sha256 hasher_;
  const std::vector<fs::path>& files_;
  std::vector<std::optional<result<sha256_digest>>> outcomes_;
  std::atomic<std::size_t> next_ = 0;
  std::atomic<std::size_t> current_ = 0;
  std::atomic<std::uint64_t> done_ = 0;
  std::atomic<bool> stop_ = false;
  std::counting_semaphore<> finished_one_{0};
};

}  // namespace

std::string to_hex(const sha256_digest& digest) {
  static constexpr char digits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(2 * digest.size());
  for (const std::uint8_t byte : digest) {
    hex += digits[byte >> 4];
    hex += digits[byte & 0xF];
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

result<sha256_digest> sha256::of_file(const fs::path& file,
                                      const std::function<bool(std::uint64_t)>& read) const {
  result<file_for_reading> opened = open_for_reading(file);
  if (!opened) {
    return opened.error();
  }
  // Most patch files are small: a piece as large as the file (the end of
  // the file is seen as a read of nothing), and not cleared first.
  const DWORD room = static_cast<DWORD>(std::clamp<std::uint64_t>(opened->size + 1, 1, piece_size));
  const auto piece = std::make_unique_for_overwrite<char[]>(room);
  running_hash hash(*library_);
  std::uint64_t done = 0;
  while (true) {
    DWORD got = 0;
    if (!::ReadFile(opened->handle.get(), piece.get(), room, &got, nullptr)) {
      return last_windows_failure(fmt::format("reading {} failed", path_to_utf8(file)), file);
    }
    if (got == 0) {
      return hash.finish();
    }
    hash.add(piece.get(), got);
    done += got;
    if (read && !read(done)) {
      return windows_failure(fmt::format("reading {} was cancelled", path_to_utf8(file)), ERROR_CANCELLED,
                             file);
    }
  }
}

result<std::vector<std::optional<std::string>>> sha256_of_files(const std::vector<fs::path>& files,
                                                                const hash_progress& progress) {
  if (files.empty()) {
    return std::vector<std::optional<std::string>>{};
  }
  try {
    hashing_pool pool(files);
    pool.run(progress);
    return pool.digests();
  } catch (const installer_error& error) {  // BCrypt cannot be had
    return error.why();
  }
}
