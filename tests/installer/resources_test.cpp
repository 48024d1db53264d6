// Reads the built installer's resources back: the icon group and the
// manifest that a player's Windows shows and obeys.
#include "support/test_support.hpp"
#include "system/handle.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>
#include <string_view>
#include <vector>

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

unique_hmodule load_installer_resources() {
  const auto installer = test_support::binary_folder() / "patch_installer.exe";
  return unique_hmodule{::LoadLibraryExW(installer.c_str(), nullptr,
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
  const unique_hmodule installer = load_installer_resources();
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

TEST(resources, one_manifest_declares_invoker_rights_visual_style_systems_and_dpi) {
  const unique_hmodule installer = load_installer_resources();
  ASSERT_TRUE(installer);
  const std::string_view manifest = resource_bytes(installer.get(), MAKEINTRESOURCEW(1), RT_MANIFEST);
  const char* const declarations[] = {
      R"(<requestedExecutionLevel level="asInvoker" uiAccess="false"/>)",
      R"(name="Microsoft.Windows.Common-Controls" version="6.0.0.0")",
      "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // Windows 7
      "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // Windows 8
      "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // Windows 8.1
      "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // Windows 10 and 11
      ">true/pm</dpiAware>",
      ">PerMonitorV2, PerMonitor</dpiAwareness>",
  };
  for (const char* declaration : declarations) {
    EXPECT_NE(manifest.find(declaration), std::string_view::npos) << declaration;
  }
  EXPECT_EQ(manifest.find("requireAdministrator"), std::string_view::npos);
  EXPECT_EQ(manifest.find("highestAvailable"), std::string_view::npos);
  // Exactly one manifest: Windows reads the one with id 1 only.
  EXPECT_EQ(::FindResourceW(installer.get(), MAKEINTRESOURCEW(2), RT_MANIFEST), nullptr);
}

TEST(resources, version_information_reads_back_from_the_file) {
  const std::wstring installer = (test_support::binary_folder() / "patch_installer.exe").native();
  DWORD ignored = 0;
  std::vector<char> block(::GetFileVersionInfoSizeW(installer.c_str(), &ignored));
  ASSERT_FALSE(block.empty());
  ASSERT_TRUE(::GetFileVersionInfoW(installer.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(PROJECT_VERSION_MINOR, PROJECT_VERSION_MAJOR));
  EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(0, PROJECT_VERSION_PATCH));
  EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);

  const auto text = [&](const wchar_t* name) {
    wchar_t* value = nullptr;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    const bool found =
        ::VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) && value;
    return found ? std::wstring(value) : std::wstring();
  };
  EXPECT_EQ(text(L"FileVersion"), PROJECT_VERSION_TEXT);
  EXPECT_EQ(text(L"ProductVersion"), PROJECT_VERSION_TEXT);
  EXPECT_EQ(text(L"OriginalFilename"), L"patch_installer.exe");
  EXPECT_EQ(text(L"ProductName"), L"Patch Installer");
  EXPECT_EQ(text(L"FileDescription"), L"Game patch installer");
  EXPECT_EQ(text(L"CompanyName"), L"Patch Installer Project");
}
