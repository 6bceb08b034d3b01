#include "platform/file_numbers.h"

#include <windows.h>

#include <array>
#include <atomic>

#include "platform/gbk_win.h"

namespace platform {

namespace {

// Lock-free on purpose: the thread that writes may be force-ended at any point, and the
// window thread must still be able to close its file afterwards.
std::array<std::atomic<HANDLE>, 32> open_files{};

std::atomic<HANDLE>* slot(int number) {
  if (number < 1 || number > static_cast<int>(open_files.size())) return nullptr;
  return &open_files[static_cast<size_t>(number - 1)];
}

int take_free_number(HANDLE file) {
  for (size_t i = 0; i < open_files.size(); ++i) {
    HANDLE expected = nullptr;
    if (open_files[i].compare_exchange_strong(expected, file)) return static_cast<int>(i + 1);
  }
  return 0;
}

}  // namespace

int open_file_number(std::string_view path, OpenMode mode) {
  const DWORD disposition = mode == OpenMode::truncate ? CREATE_ALWAYS : OPEN_ALWAYS;
  HANDLE file = CreateFileW(to_utf16(path).c_str(), GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  if (mode == OpenMode::append) SetFilePointer(file, 0, nullptr, FILE_END);
  const int number = take_free_number(file);
  if (number == 0) CloseHandle(file);
  return number;
}

bool write_file_number(int number, const void* data, std::size_t size) {
  std::atomic<HANDLE>* entry = slot(number);
  HANDLE file = entry ? entry->load() : nullptr;
  if (!file) return false;
  DWORD written = 0;
  return WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) && written == size;
}

bool flush_file_number(int number) {
  std::atomic<HANDLE>* entry = slot(number);
  HANDLE file = entry ? entry->load() : nullptr;
  return file && FlushFileBuffers(file);
}

void close_file_number(int number) {
  std::atomic<HANDLE>* entry = slot(number);
  if (!entry) return;
  if (HANDLE file = entry->exchange(nullptr)) CloseHandle(file);
}

}  // namespace platform
