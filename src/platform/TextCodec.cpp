#include "platform/TextCodec.h"

#include <iconv.h>

#include <cerrno>
#include <mutex>

namespace orrivel::platform {
namespace {

// iconv descriptors are not thread-safe; one per direction, under a lock.
struct Converter {
  iconv_t cd;
  std::mutex lock;
  Converter(const char* to, const char* from) : cd(iconv_open(to, from)) {}
  ~Converter() {
    if (cd != iconv_t(-1)) iconv_close(cd);
  }
};

Converter& ToUtf8() {
  static Converter c("UTF-8", "CP932");
  return c;
}
Converter& FromUtf8() {
  static Converter c("CP932", "UTF-8");
  return c;
}

std::optional<std::string> Convert(Converter& conv, std::string_view in, bool lossy) {
  if (conv.cd == iconv_t(-1)) return std::nullopt;
  std::lock_guard<std::mutex> guard(conv.lock);
  iconv(conv.cd, nullptr, nullptr, nullptr, nullptr);
  std::string out;
  char buffer[1024];
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  while (srcLeft > 0) {
    char* dst = buffer;
    size_t dstLeft = sizeof buffer;
    const size_t r = iconv(conv.cd, &src, &srcLeft, &dst, &dstLeft);
    out.append(buffer, size_t(dst - buffer));
    if (r != size_t(-1)) continue;
    if (errno == E2BIG) continue;
    if (!lossy) return std::nullopt;
    // Skip one byte that cannot be converted (or an incomplete tail).
    out.push_back('?');
    ++src;
    --srcLeft;
    iconv(conv.cd, nullptr, nullptr, nullptr, nullptr);
  }
  char* dst = buffer;
  size_t dstLeft = sizeof buffer;
  iconv(conv.cd, nullptr, nullptr, &dst, &dstLeft);
  out.append(buffer, size_t(dst - buffer));
  return out;
}

}  // namespace

std::optional<std::string> Cp932ToUtf8(std::string_view cp932) { return Convert(ToUtf8(), cp932, false); }
std::optional<std::string> Utf8ToCp932(std::string_view utf8) { return Convert(FromUtf8(), utf8, false); }
std::string Cp932ToUtf8Lossy(std::string_view cp932) { return Convert(ToUtf8(), cp932, true).value_or(""); }
std::string Utf8ToCp932Lossy(std::string_view utf8) { return Convert(FromUtf8(), utf8, true).value_or(""); }

}  // namespace orrivel::platform
