// SPDX-License-Identifier: MIT
#include "cli/fd_streams.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vexaro {

FdSource::FdSource(int fd) : fd_(fd) {
  struct stat info {};
  seekable_ = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && lseek(fd, 0, SEEK_CUR) >= 0;
}

long FdSource::read(uint8_t* buffer, size_t capacity) {
  for (;;) {
    ssize_t got = ::read(fd_, buffer, capacity);
    if (got >= 0) return static_cast<long>(got);
    if (errno == EINTR) continue;
    errno_ = errno;
    return -1;
  }
}

bool FdSource::skip(uint64_t count) {
  // A regular file is moved over, so a sample of a large input reads little of it.
  if (seekable_ && count <= static_cast<uint64_t>(INT64_MAX)) {
    if (lseek(fd_, static_cast<off_t>(count), SEEK_CUR) >= 0) return true;
  }
  return ByteSource::skip(count);
}

std::string FdSource::error_text() const { return std::strerror(errno_); }

void FdSink::write(std::string_view text) {
  buffer_.append(text);
  if (buffer_.size() >= (1 << 16)) flush();
}

void FdSink::flush() {
  size_t done = 0;
  while (done < buffer_.size() && errno_ == 0) {
    ssize_t put = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (put > 0) {
      done += static_cast<size_t>(put);
    } else if (put < 0 && errno == EINTR) {
      continue;
    } else {
      errno_ = put < 0 ? errno : EIO;
    }
  }
  buffer_.clear();
}

std::string FdSink::error_text() const { return std::strerror(errno_); }

}  // namespace vexaro
