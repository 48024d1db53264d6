#include "installer/sealed_patch.hpp"

#include "installer/archive_files.hpp"
#include "installer/messages.hpp"
#include "installer/progress_window.hpp"
#include "patch/checksums.hpp"
#include "system/file_operations.hpp"
#include "system/sha256.hpp"
#include "system/text.hpp"
#include "system/windows_error.hpp"

#include <fmt/format.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <numeric>
#include <optional>
#include <thread>

namespace fs = std::filesystem;

namespace {

// Far more than the checksum file of any patch needs (about 100 bytes a file).
constexpr std::size_t largest_checksum_file = 64 << 20;

// A patch file as the player sees it, beside the installer: archives\...
std::string shown(const fs::path& archives, const fs::path& file) {
  return path_to_utf8(fs::path("archives") / file.lexically_relative(archives));
}

// The size of each file, read without opening it; a missing file damages
// the patch.
std::vector<std::uint64_t> sizes_of(const fs::path& archives, const std::vector<fs::path>& files) {
  std::vector<std::uint64_t> sizes;
  for (const fs::path& file : files) {
    if (const auto size = file_size_of(file)) {
      sizes.push_back(*size);
      continue;
    }
    switch (const path_state state = examine_path(file); state.kind) {
      case path_kind::folder:
        throw patch_damaged_error(damage::folder, shown(archives, file));
      case path_kind::unknown:
      case path_kind::file:  // gone between the two questions, or unreadable
        throw windows_error(fmt::format("examining {} failed", path_to_utf8(file)), state.error);
      case path_kind::none:
      case path_kind::no_folder:
        throw patch_damaged_error(damage::missing, shown(archives, file));
    }
  }
  return sizes;
}

}  // namespace

patch_damaged_error::patch_damaged_error(damage how, std::string file)
    : std::runtime_error(file + (how == damage::missing   ? " is missing"
                                 : how == damage::differs ? " is not the file that the patch was made with"
                                 : how == damage::list_missing ? ", the list of the patch's files, is missing"
                                                               : " is a folder, not a file")),
      how(how),
      file(std::move(file)) {}

sealed_patch read_sealed_patch(const fs::path& archives, const patch_config& config,
                               error_location& location) {
  const fs::path list = archives / path_from_utf8(config.checksums);
  if (const path_kind kind = examine_path(list).kind;
      kind == path_kind::none || kind == path_kind::no_folder) {
    throw patch_damaged_error(damage::list_missing, shown(archives, list));
  }
  const std::string text = read_small_file(list, largest_checksum_file);
  const reading_scope reading(location, fs::path("archives") / path_from_utf8(config.checksums));
  sealed_patch patch;
  for (checksum_line& line : read_checksums(text, config.checksums)) {
    patch.files.push_back(archives / path_from_utf8(line.path));
    patch.hashes.push_back(std::move(line.hash));
  }
  refuse_links_to_files(patch.files);
  return patch;
}

bool check_sealed_patch(const fs::path& archives, const sealed_patch& patch,
                        const player_messages& messages) {
  const std::vector<std::uint64_t> sizes = sizes_of(archives, patch.files);
  const std::uint64_t total = std::accumulate(sizes.begin(), sizes.end(), std::uint64_t{0});
  const sha256 hasher;
  const std::size_t count = patch.files.size();
  std::vector<std::optional<sha256_digest>> digests(count);
  std::vector<std::exception_ptr> failures(count);
  std::atomic<std::size_t> next = 0;
  std::atomic<std::uint64_t> done = 0;
  std::atomic<bool> stop = false;
  std::mutex mutex;
  std::condition_variable finished;
  std::size_t finished_count = 0;
  // Hashing is the work: under Wine, Windows' SHA-256 takes longer than
  // reading the files, so it runs on each core.
  const auto hash_files = [&] {
    for (std::size_t index; !stop && (index = next++) < count;) {
      std::uint64_t counted = 0;
      try {
        digests[index] = hasher.of_file(patch.files[index], [&](std::uint64_t read) {
          done += read - counted;
          counted = read;
          return !stop;
        });
      } catch (...) {
        failures[index] = std::current_exception();  // told in the patch's order below
      }
      const std::lock_guard lock(mutex);
      ++finished_count;
      finished.notify_one();
    }
  };
  {
    progress_window progress(messages.title(), messages.checking());
    std::vector<std::jthread> workers;
    for (unsigned worker = 0; worker < std::clamp(std::thread::hardware_concurrency(), 1u, 4u); ++worker) {
      workers.emplace_back(hash_files);
    }
    std::unique_lock lock(mutex);
    while (finished_count < count && !stop) {
      finished.wait_for(lock, std::chrono::milliseconds(50));
      const std::size_t working = std::min(next.load(), count) - (next.load() > 0 ? 1 : 0);
      lock.unlock();
      stop = !progress.update(done, total, patch.files[working].lexically_relative(archives).native());
      lock.lock();
    }
  }  // the workers end with this scope
  if (stop) {
    return false;
  }
  for (std::size_t index = 0; index < count; ++index) {
    if (failures[index]) {
      std::rethrow_exception(failures[index]);
    }
    if (to_hex(*digests[index]) != patch.hashes[index]) {
      throw patch_damaged_error(damage::differs, shown(archives, patch.files[index]));
    }
  }
  return true;
}
