#include "run/byte-order.h"

#include <cstdint>
#include <iostream>
#include <limits>
#include <streambuf>

namespace {

// Notepad and many editors start a UTF-8 file with EF BB BF; Windows
// PowerShell writes UTF-16 with FF FE (little-endian) first, and some tools
// write FE FF (big-endian). The three start with three different bytes.
const char UTF8_MARK[] = "\xEF\xBB\xBF";
const char UTF16LE_MARK[] = "\xFF\xFE";
const char UTF16BE_MARK[] = "\xFE\xFF";

// Hands on UTF-16 text from `source` as UTF-8, one character per refill, so
// that nothing is read ahead of what the read loop asks for. A surrogate
// without its partner becomes U+FFFD, and an odd last byte is dropped: like
// any character that cannot start a number, they cost only their own line.
class Utf16AsUtf8 : public std::streambuf {
 public:
  void start(std::streambuf* source, bool bigEndian) {
    source_ = source;
    bigEndian_ = bigEndian;
  }

 protected:
  int_type underflow() override {
    std::uint32_t c = 0;
    if (!readUnit(c)) {
      return traits_type::eof();
    }
    if (c >= 0xD800 && c < 0xDC00) {
      std::uint32_t low = 0;
      const bool more = readUnit(low);
      if (more && low >= 0xDC00 && low < 0xE000) {
        c = 0x10000 + ((c - 0xD800) << 10U) + (low - 0xDC00);
      } else {
        hasPending_ = more;
        pending_ = low;
        c = 0xFFFD;
      }
    } else if (c >= 0xDC00 && c < 0xE000) {
      c = 0xFFFD;
    }
    setg(buffer_, buffer_, buffer_ + encode(c));
    return traits_type::to_int_type(*gptr());
  }

 private:
  bool readUnit(std::uint32_t& unit) {
    if (hasPending_) {
      unit = pending_;
      hasPending_ = false;
      return true;
    }
    const int_type eof = traits_type::eof();
    const int_type first = source_->sbumpc();
    if (traits_type::eq_int_type(first, eof)) {
      return false;
    }
    const int_type second = source_->sbumpc();
    if (traits_type::eq_int_type(second, eof)) {
      return false;
    }
    const auto high = static_cast<std::uint32_t>(bigEndian_ ? first : second);
    const auto low = static_cast<std::uint32_t>(bigEndian_ ? second : first);
    unit = (high << 8U) | low;
    return true;
  }

  // Writes `c` into buffer_ as UTF-8 and returns its length in bytes.
  int encode(std::uint32_t c) {
    auto byte = [](std::uint32_t value) { return static_cast<char>(value); };
    if (c < 0x80) {
      buffer_[0] = byte(c);
      return 1;
    }
    int length = 4;
    if (c < 0x800) {
      length = 2;
    } else if (c < 0x10000) {
      length = 3;
    }
    const std::uint32_t lead[] = {0, 0, 0xC0, 0xE0, 0xF0};
    for (int i = length - 1; i > 0; --i) {
      buffer_[i] = byte(0x80 | (c & 0x3FU));
      c >>= 6U;
    }
    buffer_[0] = byte(lead[length] | c);
    return length;
  }

  std::streambuf* source_ = nullptr;
  bool bigEndian_ = false;
  // A unit read after a high surrogate that was not its partner.
  bool hasPending_ = false;
  std::uint32_t pending_ = 0;
  char buffer_[4] = {};
};

Utf16AsUtf8 utf16Input;

// True when the input starts with all of `mark`, which is then consumed.
// Bytes that only begin a mark are a line that does not start with a
// number, and that line is discarded, as the read loop would.
bool consumeMark(const char* mark) {
  for (std::size_t i = 0; mark[i] != '\0'; ++i) {
    if (std::cin.peek() != std::char_traits<char>::to_int_type(mark[i])) {
      if (i > 0) {
        std::cin.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
      }
      return false;
    }
    std::cin.get();
  }
  return true;
}

}  // namespace

void readByteOrderMark() {
  const int first = std::cin.peek();
  const char* mark = nullptr;
  for (const char* candidate : {UTF8_MARK, UTF16LE_MARK, UTF16BE_MARK}) {
    if (first == std::char_traits<char>::to_int_type(candidate[0])) {
      mark = candidate;
    }
  }
  if (mark == nullptr || !consumeMark(mark) || mark == UTF8_MARK) {
    return;
  }
  utf16Input.start(std::cin.rdbuf(), mark == UTF16BE_MARK);
  std::cin.rdbuf(&utf16Input);
}
