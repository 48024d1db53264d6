#include "acf/acf_parser.hpp"
#include "acf/acf_test_support.hpp"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

// Real-shaped files with CR LF line ends, read through the file stream.

namespace {

acf_value parse_file(const char* name) {
  const test_file file = open_text_file(data_file(name));
  acf_file_stream input(file.get());
  EXPECT_TRUE(input.good()) << "cannot open " << data_file(name);
  return acf_parser().parse_acf(input);
}

acf_value library(const char8_t* path, const char8_t* label, const char8_t* contentid,
                  const char8_t* totalsize, const char8_t* tally, const char8_t* corruption, acf_value apps) {
  return object({{u8"path", path},
                 {u8"label", label},
                 {u8"contentid", contentid},
                 {u8"totalsize", totalsize},
                 {u8"update_clean_bytes_tally", tally},
                 {u8"time_last_update_corruption", corruption},
                 {u8"apps", std::move(apps)}});
}

}  // namespace

TEST(acf_documents, libraryfolders_with_contentstatsid) {
  const acf_value expected =
      object({{u8"libraryfolders",
               object({
                   {u8"0", library(u8"C:\\\\Program Files (x86)\\\\Steam", u8"", u8"3521364937592848137",
                                   u8"0", u8"24374609953", u8"0",
                                   object({{u8"228980", u8"351832896"},
                                           {u8"1245620", u8"51539607552"},
                                           {u8"250820", u8"5447836811"}}))},
                   {u8"1", library(u8"D:\\\\SteamLibrary", u8"Games", u8"-6207480427335290497",
                                   u8"1000186310656", u8"0", u8"1700000000",
                                   object({{u8"1091500", u8"70941226734"}, {u8"292030", u8"52019328367"}}))},
                   {u8"contentstatsid", u8"-4583473458957128117"},
               })}});
  EXPECT_EQ(parse_file("libraryfolders-contentstatsid.vdf"), expected);
}

TEST(acf_documents, app_manifest) {
  const acf_value expected =
      object({{u8"AppState",
               object({
                   {u8"appid", u8"228980"},
                   {u8"universe", u8"1"},
                   {u8"name", u8"Steamworks Common Redistributables"},
                   {u8"StateFlags", u8"4"},
                   {u8"installdir", u8"Steamworks Shared"},
                   {u8"LastUpdated", u8"1712345678"},
                   {u8"SizeOnDisk", u8"351832896"},
                   {u8"StagingSize", u8"0"},
                   {u8"buildid", u8"13752387"},
                   {u8"LastOwner", u8"76561197960287930"},
                   {u8"UpdateResult", u8"0"},
                   {u8"BytesToDownload", u8"0"},
                   {u8"BytesDownloaded", u8"0"},
                   {u8"BytesToStage", u8"0"},
                   {u8"BytesStaged", u8"0"},
                   {u8"TargetBuildID", u8"0"},
                   {u8"AutoUpdateBehavior", u8"0"},
                   {u8"AllowOtherDownloadsWhileRunning", u8"0"},
                   {u8"ScheduledAutoUpdate", u8"0"},
                   {u8"InstalledDepots", object({{u8"228983", object({{u8"manifest", u8"8124929965194586177"},
                                                                      {u8"size", u8"133932246"}})},
                                                 {u8"228990", object({{u8"manifest", u8"1829726630299308803"},
                                                                      {u8"size", u8"102931551"}})}})},
                   {u8"UserConfig", acf_object{}},
                   {u8"MountedConfig", acf_object{}},
               })}});
  EXPECT_EQ(parse_file("appmanifest_228980.acf"), expected);
}

TEST(acf_documents, cut_off_files) {
  const acf_value apps =
      std::get<acf_object>(
          std::get<acf_object>(parse_file("libraryfolders-cut-between-pairs.vdf")).at(u8"libraryfolders"))
          .at(u8"0");
  EXPECT_EQ(dump(std::get<acf_object>(apps).at(u8"apps")),
            R"({"1245620":"51539607552","228980":"351832896"})");
  try {
    parse_file("appmanifest-cut-inside-text.acf");
    ADD_FAILURE() << "a file cut inside text parsed";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "premature end of file");
  }
}
