#include "download/http_download.h"

#include <memory>
#include <string>

#include "platform/file_numbers.h"
#include "platform/internet.h"
#include "platform/process.h"
#include "startup/session.h"

namespace {

constexpr std::size_t kBlockBytes = 10240;
constexpr std::uint32_t kOpenFlags = 0x84000100;  // RELOAD | NO_CACHE_WRITE | PRAGMA_NOCACHE
constexpr std::uint32_t kStatusOk = 200;
constexpr std::uint32_t kStatusPartial = 206;
constexpr const char* kMessageTitle = "信息：";

constexpr const char* kHeaders =
    "Accept: */*\r\n"
    "Accept-Language: zh-cn\r\n"
    "Accept-Encoding: gzip, deflate\r\n"
    "User-Agent: Mozilla/4.0(compatible; MSIE 6.0; Windows NT 5.0; MyIE2; .NET CLR 1.1.4322)";

std::int32_t fail(const char* message) {
  platform::show_message(message, kMessageTitle);
  return -1;
}

std::string agent_text() {
  return "Agent" + std::to_string(static_cast<std::int32_t>(platform::tick_count()));
}

std::string header_text(bool resume, std::int32_t start_offset) {
  std::string headers = kHeaders;
  if (resume) headers += "\r\nRange:bytes=" + std::to_string(start_offset) + "-";
  return headers;
}

// A success is swapped in for the main program, so only the answer meant for this request
// counts: the whole body, or in resume mode the asked-for part (a whole body there would be
// appended to the part already on disk).
bool answer_is_the_file(const platform::WebHandle& request, bool resume) {
  const std::uint32_t status = platform::status_code(request).value_or(0);
  return status == (resume ? kStatusPartial : kStatusOk);
}

int open_local_file(std::string_view local_path, bool resume) {
  const int number = platform::open_file_number(
      local_path, resume ? platform::OpenMode::append : platform::OpenMode::truncate);
  session().download_file = number;
  return number;
}

// Closes the local file on every way out of the transfer.
struct LocalFile {
  int number;
  ~LocalFile() { platform::close_file_number(number); }
};

}  // namespace

std::int32_t http_download(std::string_view url, std::string_view local_path, ProgressCallback progress,
                           std::int32_t start_offset, std::int32_t resume_flag) {
  const bool resume = resume_flag != 0;
  const bool without_autoproxy = !platform::connection_uses_proxy();
  const platform::WebHandle internet = platform::open_internet(agent_text(), without_autoproxy, true);
  if (!internet) return fail("Internet连接错误!");
  const platform::WebHandle request =
      platform::open_address(internet, url, header_text(resume, start_offset), kOpenFlags);
  if (!request || !answer_is_the_file(request, resume)) return fail("不能打开该URL!");
  const LocalFile file{open_local_file(local_path, resume)};
  if (file.number == 0) return fail("不能打开本地的文件!");
  const std::uint32_t total = platform::content_length(request).value_or(0);
  // A coded body is decoded on the way, so its announced length is not the length written.
  const bool length_checked = total > 0 && !platform::content_is_coded(request);
  std::int64_t so_far = resume ? start_offset : 0;
  const std::int64_t first = so_far;
  const std::uint32_t start_tick = platform::tick_count();
  auto block = std::make_unique<char[]>(kBlockBytes);
  for (;;) {
    const std::optional<std::size_t> received = platform::read_block(request, block.get(), kBlockBytes);
    if (!received) return fail("读文件出错!");
    if (*received == 0) break;
    if (!platform::write_file_number(file.number, block.get(), *received)) return fail("写文件出错!");
    so_far += static_cast<std::int64_t>(*received);
    std::uint32_t elapsed = platform::tick_count() - start_tick;
    if (elapsed == 0) elapsed = 10;
    progress(static_cast<std::int32_t>(total), static_cast<std::int32_t>(so_far),
             static_cast<std::int32_t>(elapsed), static_cast<std::int32_t>(so_far - first));
  }
  // WinInet reports a connection closed early as a normal end.
  if (length_checked && so_far - first < total) return fail("读文件出错!");
  // What is reported as done is swapped in for the main program: it must be on the disk.
  if (!platform::flush_file_number(file.number)) return fail("写文件出错!");
  return 0;
}
