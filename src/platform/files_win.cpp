#include "platform/files.h"

#include <windows.h>

#include "platform/gbk_win.h"
#include "platform/handles_win.h"

namespace platform {

std::optional<std::string> read_file(std::string_view path, std::size_t limit) {
  const KernelHandle file(CreateFileW(to_utf16(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  std::string contents;
  char block[16384];
  DWORD got = 0;
  while (contents.size() < limit && ReadFile(file.get(), block, sizeof block, &got, nullptr) && got > 0) {
    contents.append(block, std::min<std::size_t>(got, limit - contents.size()));
  }
  return contents;
}

bool delete_file(std::string_view path) { return DeleteFileW(to_utf16(path).c_str()) != 0; }

bool rename_file(std::string_view from, std::string_view to) {
  return MoveFileW(to_utf16(from).c_str(), to_utf16(to).c_str()) != 0;
}

bool replace_file(std::string_view from, std::string_view to) {
  return MoveFileExW(to_utf16(from).c_str(), to_utf16(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace platform
