#include "NumberScan.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <cstdint>
#include <stdexcept>

namespace benchdoc {

namespace {

bool IsNumberByte(char c) {
  return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == 'e' || c == 'E';
}

}  // namespace

FileText ReadWholeFile(const std::filesystem::path& file) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat info;
  if (fd < 0 || ::fstat(fd, &info) != 0) throw std::runtime_error("cannot read " + file.string());
  FileText text;
  text.size = static_cast<std::size_t>(info.st_size);
  text.bytes.reset(new char[text.size + 1]);
  std::size_t got = 0;
  while (got < text.size) {
    const ssize_t n = ::read(fd, text.bytes.get() + got, text.size - got);
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  ::close(fd);
  if (got != text.size) throw std::runtime_error("cannot read " + file.string());
  text.bytes[text.size] = '\0';
  return text;
}

ScanResult ScanNumbers(const std::filesystem::path& file) {
  const FileText text = ReadWholeFile(file);
  ScanResult result;
  const char* p = text.bytes.get();
  const char* const end = p + text.size;
  while (p < end) {
    const char c = *p;
    if (c == '"') {  // strings hold no numbers
      for (++p; p < end && *p != '"'; ++p)
        if (*p == '\\') ++p;
      ++p;
    } else if (c == '-' || (c >= '0' && c <= '9')) {
      const char* q = p;
      bool integer = true;
      for (; q < end && IsNumberByte(*q); ++q)
        integer = integer && *q != '.' && *q != 'e' && *q != 'E';
      if (integer) {
        std::int64_t value = 0;
        std::from_chars(p, q, value);
        result.sum += double(value);
      } else {
        double value = 0;
        std::from_chars(p, q, value);
        result.sum += value;
      }
      ++result.numbers;
      p = q;
    } else {
      ++p;
    }
  }
  return result;
}

}  // namespace benchdoc
