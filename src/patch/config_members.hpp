#pragma once

#include "patch/patch_config.hpp"

#include <array>
#include <map>
#include <string>
#include <variant>
#include <vector>

// Where a member of config.json goes in patch_config. The field's type is
// the member's kind: text, true or false, the list of game versions, or
// texts by their key.
using text_field = std::string patch_config::*;
using flag_field = bool patch_config::*;
using versions_field = std::vector<game_version> patch_config::*;
using texts_field = std::map<std::string, std::string> patch_config::*;
using config_field = std::variant<text_field, flag_field, versions_field, texts_field>;

// What a text member must be besides text.
enum class text_rule {
  any,
  relative_path,       // a path below its folder, kept normalized; empty: none
  ubisoft_install_id,  // digits only: it becomes a registry subkey
  registry_key_name,   // no backslash: it becomes one registry subkey
};

// A member of config.json: its name, where it goes, whether the file must
// have it, and the rule of a text.
struct config_member {
  const char* name;
  config_field field;
  bool required = false;
  text_rule rule = text_rule::any;
};

// Every member that the installer reads, for its reading of config.json and
// for the authors' check. The order of the rows is the order in which both
// tell the faults of several members; the reading looks inside messages and
// then game_versions only after every member's own value.
inline constexpr auto config_members = std::to_array<config_member>({
    {"game_name", &patch_config::game_name, true},
    {"process_name", &patch_config::process_name, true},
    {"data_directory", &patch_config::data_directory, true},
    {"registry_key", &patch_config::registry_key, true},
    {"steam_id", &patch_config::steam_id, true},
    {"gog_id", &patch_config::gog_id},
    {"epic_app_name", &patch_config::epic_app_name},
    {"xbox_package", &patch_config::xbox_package},
    {"ubisoft_id", &patch_config::ubisoft_id, false, text_rule::ubisoft_install_id},
    {"amazon_id", &patch_config::amazon_id},
    {"battlenet_uid", &patch_config::battlenet_uid},
    {"ea_content_id", &patch_config::ea_content_id},
    {"rockstar_title", &patch_config::rockstar_title, false, text_rule::registry_key_name},
    {"legacy_uuid", &patch_config::legacy_uuid},
    {"humble_id", &patch_config::humble_id},
    {"ask_for_folder", &patch_config::ask_for_folder},
    {"checksums", &patch_config::checksums, false, text_rule::relative_path},
    {"game_versions", &patch_config::game_versions},
    {"executable_path", &patch_config::executable_path, false, text_rule::relative_path},
    {"language", &patch_config::language},
    {"messages", &patch_config::messages},
    {"keep_originals", &patch_config::keep_originals},
    {"patch_name", &patch_config::patch_name},
});
