// Writes the patch that tools/bench-install.sh installs: FILE_COUNT files of
// made-up game data below ARCHIVES_FOLDER, two to four folders deep,
// TOTAL_BYTES in all. Sizes depend on the kind of file (scripts and
// settings are small, textures and music large), and the content is
// pseudo-random: all of it is drawn from a std::mt19937_64 seeded with SEED,
// a generator whose sequence the C++ standard fixes, so the same arguments
// give the same files on every machine.
//   make_bench_patch.exe ARCHIVES_FOLDER FILE_COUNT TOTAL_BYTES SEED
#include <array>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Sizes are spread evenly over the doublings from `smallest` on, which
// gives the long tail of real game data.
struct file_kind {
  std::string_view folder;
  std::array<std::string_view, 4> subfolders;
  std::string_view extension;
  std::uint64_t smallest;
  unsigned doublings;
  unsigned weight;  // in percent of all files
};

constexpr std::array<file_kind, 8> kinds{{
    {"Textures", {"Characters", "Environment", "Props", "Interface"}, ".dds", 8 << 10, 7, 30},
    {"Models", {"Characters", "Props", "Buildings", "Vehicles"}, ".mesh", 4 << 10, 7, 20},
    {"Audio/Sfx", {"Combat", "Ambient", "Interface", "Footsteps"}, ".ogg", 4 << 10, 6, 15},
    {"Audio/Music", {"Exploration", "Battle", "Towns", "Menus"}, ".ogg", 512 << 10, 4, 2},
    {"Data/Maps", {"Coast", "Highlands", "Mire", "Capital"}, ".map", 16 << 10, 5, 8},
    {"Data/Balance", {"Units", "Items", "Economy", "Spells"}, ".ini", 512, 5, 8},
    {"Scripts", {"AI", "Quests", "Interface", "Events"}, ".lua", 1 << 10, 5, 10},
    {"Localization", {"en", "de", "fr", "ja"}, ".txt", 1 << 10, 6, 7},
}};

constexpr std::array<std::string_view, 20> words{
    "harbor", "wall",  "tower", "marsh", "lantern", "banner", "crate",  "bridge", "gate",  "forest",
    "ember",  "frost", "stone", "river", "market",  "keep",   "shrine", "ruin",   "cliff", "meadow"};

struct planned_file {
  fs::path relative;
  std::uint64_t size;
};

template <typename Range>
auto pick(std::mt19937_64& random, const Range& range) {
  return range[random() % range.size()];
}

const file_kind& pick_kind(std::mt19937_64& random) {
  unsigned roll = static_cast<unsigned>(random() % 100);
  for (const file_kind& kind : kinds) {
    if (roll < kind.weight) {
      return kind;
    }
    roll -= kind.weight;
  }
  return kinds.front();
}

// For example Textures/Environment/harbor/stone_gate_07.dds.
fs::path file_name(std::mt19937_64& random, const file_kind& kind) {
  fs::path folder = fs::path(kind.folder) / pick(random, kind.subfolders);
  if (random() % 2 == 0) {
    folder /= pick(random, words);
  }
  const unsigned number = static_cast<unsigned>(random() % 100);
  std::string name = std::string(pick(random, words)) + "_" + std::string(pick(random, words)) +
                     (number < 10 ? "_0" : "_") + std::to_string(number) + std::string(kind.extension);
  return folder / name;
}

std::uint64_t raw_size(std::mt19937_64& random, const file_kind& kind) {
  const std::uint64_t base = kind.smallest << (random() % kind.doublings);
  return base + random() % base;
}

std::vector<planned_file> plan_files(std::mt19937_64& random, std::size_t count) {
  std::vector<planned_file> files;
  std::set<fs::path> taken;
  while (files.size() < count) {
    const file_kind& kind = pick_kind(random);
    fs::path relative = file_name(random, kind);
    const std::uint64_t size = raw_size(random, kind);
    if (taken.insert(relative).second) {
      files.push_back({std::move(relative), size});
    }
  }
  return files;
}

// Scales the sizes to `total` in all, keeping their shape; the last file
// takes what rounding left over.
void scale_sizes(std::vector<planned_file>& files, std::uint64_t total) {
  double raw_total = 0;
  for (const planned_file& file : files) {
    raw_total += static_cast<double>(file.size);
  }
  std::uint64_t scaled_total = 0;
  for (planned_file& file : files) {
    file.size =
        static_cast<std::uint64_t>(static_cast<double>(file.size) * static_cast<double>(total) / raw_total);
    scaled_total += file.size;
  }
  if (!files.empty() && scaled_total <= total) {
    files.back().size += total - scaled_total;
  }
}

void write_file(std::mt19937_64& random, const fs::path& path, std::uint64_t size) {
  fs::create_directories(path.parent_path());
  std::ofstream stream(path, std::ios::binary | std::ios::trunc);
  std::vector<std::uint64_t> chunk(8192);
  for (std::uint64_t left = size; left > 0;) {
    for (std::uint64_t& value : chunk) {
      value = random();
    }
    const std::uint64_t bytes = std::min<std::uint64_t>(left, chunk.size() * sizeof(std::uint64_t));
    stream.write(reinterpret_cast<const char*>(chunk.data()), static_cast<std::streamsize>(bytes));
    left -= bytes;
  }
  if (!stream) {
    throw std::runtime_error("cannot write " + path.string());
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 5) {
    std::fputs("usage: make_bench_patch.exe ARCHIVES_FOLDER FILE_COUNT TOTAL_BYTES SEED\n", stderr);
    return 2;
  }
  try {
    const fs::path archives = argv[1];
    std::mt19937_64 random(std::stoull(argv[4]));
    std::vector<planned_file> files = plan_files(random, std::stoull(argv[2]));
    scale_sizes(files, std::stoull(argv[3]));
    for (const planned_file& file : files) {
      write_file(random, archives / file.relative, file.size);
    }
    std::printf("%zu files written below %s\n", files.size(), archives.string().c_str());
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "make_bench_patch: %s\n", error.what());
    return 1;
  }
}
