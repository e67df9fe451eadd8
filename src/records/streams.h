// SPDX-License-Identifier: MIT
// The streams the core reads and writes. The core does no I/O of its own:
// the program wires these to file descriptors, the tests to memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vexaro {

// A forward-only input that can peek at its next byte and skip ahead.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to `capacity` bytes; 0 means end of input. Returns -1 on a read error.
  virtual long read(uint8_t* buffer, size_t capacity) = 0;
  // Moves `count` bytes ahead without the caller needing them. Returns false
  // on a read error. Skipping past the end of input is not an error.
  virtual bool skip(uint64_t count);
  // The last error's description, for the message on standard error.
  virtual std::string error_text() const { return "read error"; }
};

// A sink for text. A failed write is remembered; `ok` tells whether all went through.
class TextSink {
 public:
  virtual ~TextSink() = default;
  virtual void write(std::string_view text) = 0;
  virtual void flush() {}
  virtual bool ok() const { return true; }
  virtual std::string error_text() const { return "write error"; }
};

// Input held in memory.
class MemorySource : public ByteSource {
 public:
  explicit MemorySource(std::string_view data) : data_(data) {}
  long read(uint8_t* buffer, size_t capacity) override;
  bool skip(uint64_t count) override;

 private:
  std::string_view data_;
  size_t position_ = 0;
};

// Output collected in memory.
class StringSink : public TextSink {
 public:
  void write(std::string_view text) override { text_.append(text); }
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

}  // namespace vexaro
