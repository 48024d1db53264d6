#include "installer/patch_files.hpp"

#include "install/install.hpp"
#include "system/text.hpp"

#include <fmt/format.h>

namespace fs = std::filesystem;

patch_config read_archives_config(const fs::path& archives, error_location& location) {
  const reading_scope reading(location, fs::path("archives") / "config.json");
  return load_patch_config(archives / "config.json");
}

bool holds_config(const fs::path& archives) {
  const result<path_kind> config_file = examine_path(archives / "config.json");
  return !config_file || (*config_file != path_kind::none && *config_file != path_kind::no_folder);
}

folder_tree list_archives(const fs::path& archives) { return or_throw(list_tree(archives)); }

fs::path destination_of(const fs::path& file, const fs::path& archives) {
  fs::path relative = file.lexically_relative(archives);
  if (is_installer_folder_name(*relative.begin())) {
    throw installer_error(
        fmt::format("the patch file {} would land in the installer's staging folder", path_to_utf8(file)));
  }
  return relative;
}

patch_files read_unsealed_patch(const fs::path& archives) {
  const folder_tree listed = list_archives(archives);
  for (const fs::path& link : listed.file_links) {
    if (link.filename() != "config.json") {
      throw installer_error(fmt::format("the patch file {} is a link to another file", path_to_utf8(link)));
    }
  }
  patch_files patch;
  for (std::size_t index = 0; index < listed.files.size(); ++index) {
    const fs::path& file = listed.files[index];
    if (file.filename() == "config.json") {
      continue;
    }
    patch.destinations.push_back(destination_of(file, archives));
    patch.files.push_back(file);
    patch.sizes.push_back(listed.sizes[index]);
  }
  return patch;
}
