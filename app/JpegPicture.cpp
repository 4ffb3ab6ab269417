#include "app/JpegPicture.h"

#include <csetjmp>
#include <cstdio>  // jpeglib.h uses FILE and size_t without declaring them
#include <exception>
#include <limits>

#include <jpeglib.h>
#include <jerror.h>

namespace kivo::app {

namespace {

// libjpeg reports a fatal error by calling error_exit, whose default ends the process. Ours keeps
// the message and jumps back into Decode, which tidies up and fails.
struct ErrorManager {
  jpeg_error_mgr base;  // first, so that libjpeg's pointer to it points to the whole
  std::jmp_buf resume;
  char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void JumpBack(j_common_ptr info) {
  auto* errors = reinterpret_cast<ErrorManager*>(info->err);
  errors->base.format_message(info, errors->message);
  std::longjmp(errors->resume, 1);
}

void EmitMessage(j_common_ptr info, int level) {
  if (level >= 0) return;  // trace output, off by default anyway
  // A warning means libjpeg met damaged data and carries on with made-up pixels (grey after a
  // truncation, noise after a bad Huffman code). A picture with holes in it is worse than none,
  // so damage fails the decode. These two are about metadata and leave the pixels alone.
  const int code = info->err->msg_code;
  if (code == JWRN_JFIF_MAJOR || code == JWRN_ADOBE_XFORM) return;
  JumpBack(info);
}

// A longjmp out of libjpeg lands in this function and skips every destructor between, so it keeps
// no objects that have one: the pixels go straight into the caller's vector.
bool Decode(const std::uint8_t* data, std::size_t size, DecodedPicture& picture, ErrorManager& errors) {
  jpeg_decompress_struct info;
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = JumpBack;
  errors.base.emit_message = EmitMessage;
  if (setjmp(errors.resume) != 0) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
  jpeg_read_header(&info, TRUE);
  // A forged header can claim 65535 x 65535 pixels; refuse before libjpeg allocates for it.
  if (info.image_width > static_cast<unsigned>(kMaxJpegSide) ||
      info.image_height > static_cast<unsigned>(kMaxJpegSide)) {
    std::snprintf(errors.message, sizeof errors.message,
                  "JPEG picture of %u x %u pixels is too large (at most %d per side)", info.image_width,
                  info.image_height, kMaxJpegSide);
    jpeg_destroy_decompress(&info);
    return false;
  }
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  if (info.output_components != 3) {  // a libjpeg built with a different RGB pixel size
    std::snprintf(errors.message, sizeof errors.message, "libjpeg gave %d bytes per pixel instead of 3",
                  info.output_components);
    jpeg_destroy_decompress(&info);
    return false;
  }
  const std::size_t rowBytes = static_cast<std::size_t>(info.output_width) * 3;
  try {
    picture.rgb.resize(rowBytes * info.output_height);
  } catch (const std::exception&) {
    std::snprintf(errors.message, sizeof errors.message, "out of memory for a JPEG picture of %u x %u pixels",
                  info.output_width, info.output_height);
    jpeg_destroy_decompress(&info);
    return false;
  }
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = picture.rgb.data() + rowBytes * info.output_scanline;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  picture.width = static_cast<int>(info.output_width);
  picture.height = static_cast<int>(info.output_height);
  jpeg_destroy_decompress(&info);
  return true;
}

}  // namespace

bool DecodeJpeg(const std::uint8_t* data, std::size_t size, DecodedPicture& picture, std::string& error) {
  picture = DecodedPicture{};
  error.clear();
  if (data == nullptr || size == 0) {
    error = "no JPEG data";
    return false;
  }
  if (size > std::numeric_limits<unsigned long>::max()) {  // jpeg_mem_src's length type
    error = "JPEG data too large";
    return false;
  }
  ErrorManager errors{};
  if (!Decode(data, size, picture, errors)) {
    picture = DecodedPicture{};
    error = errors.message;
    return false;
  }
  return true;
}

}  // namespace kivo::app
