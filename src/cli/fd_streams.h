// SPDX-License-Identifier: MIT
// The real standard streams, for the program: file descriptors behind the
// core's stream interfaces.
#pragma once

#include <string>

#include "records/streams.h"

namespace vexaro {

// Input from a file descriptor: seeks over skipped bytes when it can.
class FdSource : public ByteSource {
 public:
  explicit FdSource(int fd);
  long read(uint8_t* buffer, size_t capacity) override;
  bool skip(uint64_t count) override;
  std::string error_text() const override;

 private:
  int fd_;
  bool seekable_;
  int errno_ = 0;
};

// Buffered output to a file descriptor; `flush` writes the buffer out.
class FdSink : public TextSink {
 public:
  explicit FdSink(int fd) : fd_(fd) {}
  ~FdSink() override { flush(); }
  void write(std::string_view text) override;
  void flush() override;
  bool ok() const override { return errno_ == 0; }
  std::string error_text() const override;

 private:
  int fd_;
  std::string buffer_;
  int errno_ = 0;
};

}  // namespace vexaro
