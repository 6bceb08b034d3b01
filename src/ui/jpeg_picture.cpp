#include "ui/jpeg_picture.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace {

struct ErrorJump {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

// libjpeg's default handler ends the process; a bad picture must only fail the decode.
[[noreturn]] void jump_out(j_common_ptr info) {
  std::longjmp(reinterpret_cast<ErrorJump*>(info->err)->jump, 1);
}

void silence(j_common_ptr, int) {}

}  // namespace

std::optional<Picture> decode_jpeg(std::string_view bytes) {
  jpeg_decompress_struct info{};
  ErrorJump error{};
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = jump_out;
  error.manager.emit_message = silence;
  // Nothing with a destructor may live between here and the longjmp targets.
  Picture* picture = new Picture;
  if (setjmp(error.jump)) {
    jpeg_destroy_decompress(&info);
    delete picture;
    return std::nullopt;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_EXT_BGRX;
  jpeg_start_decompress(&info);
  picture->width = static_cast<int>(info.output_width);
  picture->height = static_cast<int>(info.output_height);
  picture->bgrx.resize(static_cast<size_t>(picture->width) * static_cast<size_t>(picture->height) * 4);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = picture->bgrx.data() + static_cast<size_t>(info.output_scanline) * picture->width * 4;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  std::optional<Picture> result(std::move(*picture));
  delete picture;
  return result;
}
