// Reads the built installer's resources back: the icon group and the
// manifest that a player's Windows shows and obeys.
#include "test_support.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>
#include <string_view>

namespace {

#pragma pack(push, 2)
struct icon_group_entry {
  BYTE width;  // 0 stands for 256
  BYTE height;
  BYTE color_count;
  BYTE reserved;
  WORD planes;
  WORD bit_count;
  DWORD bytes;
  WORD id;
};
struct icon_group_header {
  WORD reserved;
  WORD type;  // 1 for icons
  WORD count;
};
#pragma pack(pop)

struct module_freer {
  void operator()(HMODULE module) const noexcept { ::FreeLibrary(module); }
};
using unique_module = std::unique_ptr<std::remove_pointer_t<HMODULE>, module_freer>;

unique_module load_installer_resources() {
  const auto installer = test_support::binary_folder() / "patch_installer.exe";
  return unique_module{::LoadLibraryExW(installer.c_str(), nullptr,
                                        LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)};
}

std::string_view resource_bytes(HMODULE module, LPCWSTR name, LPCWSTR type) {
  const HRSRC resource = ::FindResourceW(module, name, type);
  if (!resource) {
    return {};
  }
  const auto* data = static_cast<const char*>(::LockResource(::LoadResource(module, resource)));
  return {data, ::SizeofResource(module, resource)};
}

}  // namespace

TEST(resources, icon_group_101_holds_32_bit_images_of_four_sizes) {
  const unique_module installer = load_installer_resources();
  ASSERT_TRUE(installer);
  const std::string_view group = resource_bytes(installer.get(), MAKEINTRESOURCEW(101), RT_GROUP_ICON);
  ASSERT_GE(group.size(), sizeof(icon_group_header));
  icon_group_header header;
  std::memcpy(&header, group.data(), sizeof(header));
  EXPECT_EQ(header.type, 1);
  ASSERT_EQ(group.size(), sizeof(header) + header.count * sizeof(icon_group_entry));

  std::multiset<int> sizes;
  for (WORD i = 0; i < header.count; ++i) {
    icon_group_entry entry;
    std::memcpy(&entry, group.data() + sizeof(header) + i * sizeof(entry), sizeof(entry));
    const int width = entry.width == 0 ? 256 : entry.width;
    SCOPED_TRACE(width);
    EXPECT_EQ(entry.width, entry.height);
    EXPECT_EQ(entry.bit_count, 32);
    // Each entry names an image resource of the size it announces.
    EXPECT_EQ(resource_bytes(installer.get(), MAKEINTRESOURCEW(entry.id), RT_ICON).size(), entry.bytes);
    sizes.insert(width);
  }
  EXPECT_EQ(sizes, (std::multiset<int>{16, 32, 48, 256}));
}

TEST(resources, manifest_runs_as_invoker_without_elevation) {
  const unique_module installer = load_installer_resources();
  ASSERT_TRUE(installer);
  const std::string_view manifest = resource_bytes(installer.get(), MAKEINTRESOURCEW(1), RT_MANIFEST);
  EXPECT_NE(manifest.find(R"(<requestedExecutionLevel level="asInvoker" uiAccess="false"/>)"),
            std::string_view::npos);
  EXPECT_EQ(manifest.find("requireAdministrator"), std::string_view::npos);
  EXPECT_EQ(manifest.find("highestAvailable"), std::string_view::npos);
}
