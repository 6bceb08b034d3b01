// Reads back what the build put into updater.exe: version texts, icon, manifest, imports.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/gbk_win.h"

namespace {

std::wstring updater_path() {
  std::wstring path = L"Z:" + platform::to_utf16(UPDATER_EXE);
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  return path;
}

class UpdaterImage : public testing::Test {
 protected:
  void SetUp() override {
    image_ = LoadLibraryExW(updater_path().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(image_, nullptr) << GetLastError();
  }
  void TearDown() override { FreeLibrary(image_); }

  std::string resource(LPCWSTR type, LPCWSTR name) const {
    HRSRC found = FindResourceW(image_, name, type);
    if (!found) return {};
    const void* data = LockResource(LoadResource(image_, found));
    return std::string(static_cast<const char*>(data), SizeofResource(image_, found));
  }

  HMODULE image_ = nullptr;
};

std::wstring version_value(const std::wstring& key) {
  const std::wstring path = updater_path();
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), nullptr);
  std::string block(size, '\0');
  if (!size || !GetFileVersionInfoW(path.c_str(), 0, size, block.data())) return L"<no version info>";
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), key.c_str(), &value, &length)) return L"<missing>";
  return std::wstring(static_cast<const wchar_t*>(value));
}

TEST(VersionResource, HoldsTheProductTexts) {
  const struct {
    const wchar_t* name;
    const char* value;
  } cases[] = {
      {L"FileVersion", "1.0.0.0"},
      {L"ProductVersion", "1.0.0.0"},
      {L"FileDescription", "用于沐川堂系列软件在线更新"},
      {L"ProductName", "沐川堂更新程序"},
      {L"CompanyName", "沐川堂"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(version_value(std::wstring(L"\\StringFileInfo\\080404B0\\") + c.name),
              platform::to_utf16(c.value)) << platform::to_gbk(c.name);
  }
}

TEST(VersionResource, IsChineseSimplifiedInUnicode) {
  const std::wstring path = updater_path();
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), nullptr);
  std::string block(size, '\0');
  ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));
  WORD* translation = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &length));
  ASSERT_EQ(length, 4u);
  EXPECT_EQ(translation[0], 0x0804);
  EXPECT_EQ(translation[1], 1200);
}

TEST_F(UpdaterImage, IconIsOne48PixelImageOf32Bits) {
#pragma pack(push, 2)
  struct GroupEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bit_count;
    DWORD bytes;
    WORD id;
  };
  struct Group {
    WORD reserved, type, count;
    GroupEntry entries[1];
  };
#pragma pack(pop)
  const std::string group = resource(RT_GROUP_ICON, MAKEINTRESOURCEW(1));
  ASSERT_GE(group.size(), sizeof(Group));
  const auto* icons = reinterpret_cast<const Group*>(group.data());
  ASSERT_EQ(icons->count, 1);
  EXPECT_EQ(icons->entries[0].width, 48);
  EXPECT_EQ(icons->entries[0].height, 48);
  EXPECT_EQ(icons->entries[0].bit_count, 32);
}

TEST_F(UpdaterImage, ManifestAsksForCommonControls6) {
  const std::string manifest = resource(RT_MANIFEST, MAKEINTRESOURCEW(1));
  EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
            std::string::npos) << manifest;
}

TEST(Executable, IsAStaticGuiProgramNeedingOnlySystemLibraries) {
  HMODULE image = LoadLibraryExW(updater_path().c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
  ASSERT_NE(image, nullptr) << GetLastError();
  const auto* base = reinterpret_cast<const BYTE*>(image);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
      base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
  EXPECT_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_AMD64);
  EXPECT_EQ(nt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
  const auto& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  const std::set<std::string> system = {"KERNEL32.DLL", "USER32.DLL", "GDI32.DLL", "MSVCRT.DLL",
                                        "COMCTL32.DLL", "WININET.DLL", "SHELL32.DLL",
                                        "ADVAPI32.DLL", "OLE32.DLL", "MSIMG32.DLL"};
  for (auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
       entry->Name; ++entry) {
    std::string name = reinterpret_cast<const char*>(base + entry->Name);
    for (char& c : name) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    EXPECT_TRUE(system.count(name)) << name;
  }
  FreeLibrary(image);
}

}  // namespace
