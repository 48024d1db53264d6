#include "stores/launcher_list.hpp"

#include "stores/launcher_file.hpp"
#include "system/text.hpp"

namespace fs = std::filesystem;
using nlohmann::json;

std::optional<fs::path> install_in_list(const fs::path& file, std::wstring_view label, const std::string& id,
                                        list_reader find, folder_reader read_folder, search_log& log) {
  if (is_absent(file)) {
    log.write(L"no {} {}\n", label, file.native());
    return std::nullopt;
  }
  const result<std::string> text = read_launcher_file(file);
  result<fs::path> folder = passed_over(L"not JSON");
  if (!text) {
    folder = text.error();
  } else if (const json list = json::parse(*text, nullptr, false); !list.is_discarded()) {
    folder = find(list, id, read_folder);
  }
  if (folder) {
    log.write(L"{} {} names install path {}\n", label, file.native(), folder->native());
    return *folder;
  }
  log.write(L"{} {} passed over: {}\n", label, file.native(), widen_utf8(folder.error().what));
  return std::nullopt;
}

result<fs::path> folder_member(const json& entry, const char* member, folder_reader read_folder) {
  const auto text = entry.find(member);
  if (text == entry.end() || !text->is_string()) {
    return passed_over(L"its entry has no text " + widen_utf8(member));
  }
  return read_folder(text->get_ref<const std::string&>(), L"its " + widen_utf8(member));
}

result<fs::path> entry_in_array(const json& list, const char* array, const char* id_member,
                                const std::string& id, entry_reader read, folder_reader read_folder) {
  if (!list.is_object() || !list.contains(array) || !list[array].is_array()) {
    return passed_over(L"no array " + widen_utf8(array));
  }
  result<fs::path> found = passed_over(L"no entry for " + widen_utf8(id));
  for (const json& entry : list[array]) {
    if (!entry.is_object() || !entry.contains(id_member) || entry[id_member] != id) {
      continue;
    }
    found = read(entry, read_folder);
    if (found) {
      break;
    }
  }
  return found;
}
