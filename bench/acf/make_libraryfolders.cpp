// Writes a large document shaped like Steam's libraryfolders.vdf: tab
// indentation, CR LF line ends, doubled backslashes in paths, numbered
// libraries with their apps, and "contentstatsid" at the end. The same
// arguments always give the same bytes.
//
//   make_libraryfolders OUTPUT [LIBRARIES [APPS_PER_LIBRARY]]

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

namespace {

// A small deterministic generator of numbers, the same on every platform.
class numbers {
 public:
  std::uint64_t next() {
    state_ = state_ * 6364136223846793005u + 1442695040888963407u;
    return state_ >> 17;
  }
  std::uint64_t below(std::uint64_t bound) { return next() % bound; }

 private:
  std::uint64_t state_ = 228980;
};

std::string quoted(const std::string& text) { return '"' + text + '"'; }

std::string pair(int depth, const std::string& key, const std::string& value) {
  return std::string(depth, '\t') + quoted(key) + "\t\t" + quoted(value) + "\r\n";
}

void write_library(std::ostream& out, numbers& random, int index, int apps) {
  out << "\t" << quoted(std::to_string(index)) << "\r\n\t{\r\n";
  out << pair(2, "path", "E:\\\\SteamLibrary" + std::to_string(index) + "\\\\Games (x86)");
  out << pair(2, "label", index % 3 == 0 ? "" : "Library " + std::to_string(index));
  out << pair(2, "contentid", std::to_string(random.next()));
  out << pair(2, "totalsize", std::to_string(random.below(4'000'000'000'000)));
  out << pair(2, "update_clean_bytes_tally", std::to_string(random.below(100'000'000'000)));
  out << pair(2, "time_last_update_corruption", index % 5 == 0 ? std::to_string(1'600'000'000 + index) : "0");
  out << "\t\t\"apps\"\r\n\t\t{\r\n";
  for (int app = 0; app < apps; ++app) {
    out << pair(3, std::to_string(10 + random.below(3'000'000)),
                std::to_string(random.below(90'000'000'000)));
  }
  out << "\t\t}\r\n\t}\r\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 4) {
    std::cerr << "usage: make_libraryfolders OUTPUT [LIBRARIES [APPS_PER_LIBRARY]]\n";
    return 2;
  }
  const int libraries = argc > 2 ? std::atoi(argv[2]) : 4000;
  const int apps = argc > 3 ? std::atoi(argv[3]) : 280;
  std::ofstream out(argv[1], std::ios::binary);
  numbers random;
  out << "\"libraryfolders\"\r\n{\r\n";
  for (int index = 0; index < libraries; ++index) write_library(out, random, index, apps);
  out << pair(1, "contentstatsid", "-" + std::to_string(random.next())) << "}\r\n";
  out.close();
  if (!out) {
    std::cerr << "cannot write " << argv[1] << "\n";
    return 1;
  }
  return 0;
}
