#include "scanner/saved_page_reader.h"

#include <algorithm>
#include <bit>
#include <array>
#include <cstring>

#include "scanner/byte_words.h"
#include "scanner/unicode_text.h"

namespace talvorix {
namespace {

constexpr std::size_t kBlockSize = 1 << 16;
/// The look-ahead past the block, for a tag whose blanks run on beyond it.
constexpr std::size_t kAheadSize = 1 << 12;
/// The most bytes one character takes, in UTF-8 and in UTF-16 alike.
constexpr std::size_t kLongestCharacter = 4;
constexpr std::string_view kGameBreak = "<BR>";

/// A decoded character's Windows-1250 byte; "?" for a character the code page lacks
/// and for bytes of the text that form no character.
char Cp1250Char(const DecodedCharacter& c) {
  const int byte = c.kind == Decoding::kCharacter ? Cp1250ByteOf(c.codePoint) : -1;
  return byte < 0 ? '?' : static_cast<char>(byte);
}

/// ISO-8859-2's characters from 0xA0 on, which it places apart from Windows-1250 in a few
/// letters (Š at A9 against 8A, ą at B1 against B9, ...).
constexpr std::array<char16_t, 96> kIso88592HighPart = {
    0x00A0, 0x0104, 0x02D8, 0x0141, 0x00A4, 0x013D, 0x015A, 0x00A7, 0x00A8, 0x0160, 0x015E, 0x0164,
    0x0179, 0x00AD, 0x017D, 0x017B, 0x00B0, 0x0105, 0x02DB, 0x0142, 0x00B4, 0x013E, 0x015B, 0x02C7,
    0x00B8, 0x0161, 0x015F, 0x0165, 0x017A, 0x02DD, 0x017E, 0x017C, 0x0154, 0x00C1, 0x00C2, 0x0102,
    0x00C4, 0x0139, 0x0106, 0x00C7, 0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA, 0x0170,
    0x00DC, 0x00DD, 0x0162, 0x00DF, 0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3,
    0x00F4, 0x0151, 0x00F6, 0x00F7, 0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

/// The Windows-1250 byte of each ISO-8859-2 byte; "?" for the C1 controls that
/// Windows-1250 has no place for.
consteval std::array<unsigned char, 256> MakeIso88592Table() {
  std::array<unsigned char, 256> table{};
  for (unsigned byte = 0; byte < 0xA0; ++byte) {
    const uint8_t mapped = byte < 0x80 ? static_cast<uint8_t>(byte) : unicode_detail::kCp1250Of[byte];
    table[byte] = byte >= 0x80 && mapped == 0 ? '?' : mapped;
  }
  for (unsigned byte = 0xA0; byte < 0x100; ++byte) {
    const uint8_t mapped = unicode_detail::kCp1250Of[kIso88592HighPart[byte - 0xA0]];
    table[byte] = mapped == 0 ? '?' : mapped;
  }
  return table;
}
constexpr std::array<unsigned char, 256> kCp1250OfIso88592 = MakeIso88592Table();
static_assert(kCp1250OfIso88592[0xA9] == 0x8A && kCp1250OfIso88592[0xF5] == 0xF5);

}  // namespace

SavedPageReader::SavedPageReader(RandomAccessBytes& bytes, SavedPageForm form)
    : bytes_(bytes), form_(form), block_(kBlockSize), blockOffset_(form.textStart), ahead_(kAheadSize) {}

std::size_t SavedPageReader::Read(std::span<char> buffer) {
  std::size_t written = 0;
  while (written < buffer.size()) {
    char* out = buffer.data() + written;
    const std::size_t room = buffer.size() - written;
    if (!pending_.empty()) {
      const std::size_t n = std::min(room, pending_.size());
      std::memcpy(out, pending_.data(), n);
      pending_.remove_prefix(n);
      written += n;
      continue;
    }
    if (!Fill(kLongestCharacter)) break;
    switch (form_.encoding) {
      case PageEncoding::kAsIs:
      case PageEncoding::kIso88592: written += TakeBytes(out, room); break;
      case PageEncoding::kUtf8: written += TakeUtf8(out, room); break;
      case PageEncoding::kUtf16Le:
      case PageEncoding::kUtf16Be: written += TakeUtf16(out, room); break;
    }
  }
  return written;
}

bool SavedPageReader::Fill(std::size_t need) {
  if (end_ - pos_ >= need) return true;
  if (!sourceEnded_) {
    // The unread bytes move to the front, so a character the block cut is whole again.
    std::memmove(block_.data(), block_.data() + pos_, end_ - pos_);
    blockOffset_ += pos_;
    end_ -= pos_;
    pos_ = 0;
    while (end_ < need) {
      const std::size_t got =
          bytes_.ReadAt(blockOffset_ + end_, std::span<char>(reinterpret_cast<char*>(block_.data()) + end_,
                                                             block_.size() - end_));
      if (got == 0) {
        sourceEnded_ = true;
        break;
      }
      end_ += got;
    }
  }
  return pos_ < end_;
}

std::size_t SavedPageReader::TakeBytes(char* out, std::size_t room) {
  const std::size_t n = std::min(end_ - pos_, room);
  const unsigned char* from = block_.data() + pos_;
  const auto* opening =
      form_.respellBreaks ? static_cast<const unsigned char*>(std::memchr(from, '<', n)) : nullptr;
  const std::size_t run = opening == nullptr ? n : static_cast<std::size_t>(opening - from);
  std::memcpy(out, from, run);
  if (form_.encoding == PageEncoding::kIso88592)
    for (std::size_t i = 0; i < run; ++i) out[i] = static_cast<char>(kCp1250OfIso88592[static_cast<unsigned char>(out[i])]);
  pos_ += run;
  if (run == n) return run;
  return run + TakeOpening(out + run, 1);
}

std::size_t SavedPageReader::TakeUtf8(char* out, std::size_t room) {
  std::size_t written = 0;
  while (written < room && pos_ < end_) {
    // Runs of ASCII go over eight bytes at a time; when tags are respelt, a "<" that a
    // "b" follows stops them too. All eight are copied: what follows the run is written
    // over next.
    if (written + 8 <= room && pos_ + 9 <= end_) {
      const unsigned char* from = block_.data() + pos_;
      uint64_t stops = byte_words::HighBytes(byte_words::Load(from));
      if (form_.respellBreaks) stops |= byte_words::BreakOpenings(from);
      const std::size_t plain = byte_words::FirstMarked(stops);
      std::memcpy(out + written, from, 8);
      written += plain;
      pos_ += plain;
      if (plain == 8) continue;
    }
    const unsigned char byte = block_[pos_];
    const std::size_t left = end_ - pos_;
    if (byte >= 0xC2 && byte <= 0xDF && left >= 2 && (block_[pos_ + 1] & 0xC0) == 0x80) {
      // Two bytes, the form of every accented Latin letter: straight to its byte.
      const uint8_t cp1250 = unicode_detail::kCp1250Of[((byte & 0x1Fu) << 6) | (block_[pos_ + 1] & 0x3Fu)];
      out[written++] = cp1250 == 0 ? '?' : static_cast<char>(cp1250);
      pos_ += 2;
      continue;
    }
    if (byte == '<' && form_.respellBreaks) {
      written += TakeOpening(out + written, 1);
      if (!pending_.empty()) break;
      continue;
    }
    if (byte < 0x80) {
      out[written++] = static_cast<char>(byte);
      ++pos_;
      continue;
    }
    if (left < kLongestCharacter && !sourceEnded_) break;  // Fill makes the character whole
    const DecodedCharacter c = DecodeUtf8(block_.data() + pos_, left);
    out[written++] = Cp1250Char(c);
    pos_ += c.length;  // a character cut by the end of the report is one replacement
  }
  return written;
}

inline bool SavedPageReader::TakeFourAsciiUnits(char* out, bool bigEndian) {
  if constexpr (std::endian::native != std::endian::little) return false;
  // In the word, a unit's low byte comes first when the text is little-endian.
  const uint64_t word = byte_words::Load(block_.data() + pos_);
  const uint64_t notAscii = bigEndian ? 0x80FF80FF80FF80FFu : 0xFF80FF80FF80FF80u;
  const uint64_t charBits = bigEndian ? 0x8000800080008000u : 0x0080008000800080u;
  if ((word & notAscii) != 0) return false;
  if (form_.respellBreaks && (byte_words::ZeroBytes(word ^ (byte_words::kOnes * '<')) & charBits) != 0) return false;
  // The four characters' bytes, gathered into the low four bytes of one word.
  const uint64_t chars = bigEndian ? word >> 8 : word;
  const uint64_t packed = (chars & 0xFF) | ((chars >> 8) & 0xFF00) | ((chars >> 16) & 0xFF0000) |
                          ((chars >> 24) & 0xFF000000);
  const auto four = static_cast<uint32_t>(packed);
  std::memcpy(out, &four, sizeof four);
  pos_ += 8;
  return true;
}

std::size_t SavedPageReader::TakeUtf16(char* out, std::size_t room) {
  const bool bigEndian = form_.encoding == PageEncoding::kUtf16Be;
  std::size_t written = 0;
  while (written < room && pos_ < end_) {
    if (written + 4 <= room && pos_ + 8 <= end_ && TakeFourAsciiUnits(out + written, bigEndian)) {
      written += 4;
      while (written + 4 <= room && pos_ + 8 <= end_ && TakeFourAsciiUnits(out + written, bigEndian)) written += 4;
      continue;
    }
    const std::size_t left = end_ - pos_;
    if (left < kLongestCharacter && !sourceEnded_) break;  // Fill makes the character whole
    const DecodedCharacter c = DecodeUtf16(block_.data() + pos_, left, bigEndian);
    if (c.kind == Decoding::kCharacter && c.codePoint == '<' && form_.respellBreaks) {
      written += TakeOpening(out + written, c.length);
      if (!pending_.empty()) break;
      continue;
    }
    out[written++] = Cp1250Char(c);
    pos_ += c.length;
  }
  return written;
}

std::size_t SavedPageReader::TakeOpening(char* out, std::size_t width) {
  uint64_t tag = 0;
  if (width == 1 && pos_ + 4 <= end_) {
    // The usual cases need no look-ahead: a tag that is no line break ("<b>", "<p>"),
    // and a line break written "<br>".
    const unsigned char* at = block_.data() + pos_;
    const bool lineBreak = (at[1] | 0x20) == 'b' && (at[2] | 0x20) == 'r';
    tag = !lineBreak ? 0 : at[3] == '>' ? 4 : TagLength(blockOffset_ + pos_, width);
  } else {
    tag = TagLength(blockOffset_ + pos_, width);
  }
  if (tag == 0) {
    *out = '<';
    pos_ += width;
    return 1;
  }
  Skip(tag);
  pending_ = kGameBreak;
  return 0;
}

uint64_t SavedPageReader::TagLength(uint64_t offset, std::size_t width) {
  BreakTagMatcher matcher;
  uint64_t at = offset;  // never before the block: the "<" is in it
  for (;;) {
    const uint64_t inBlock = at - blockOffset_;
    const long unit = inBlock + width <= end_ && width == 1 ? long{block_[inBlock]} : UnitAt(at, width);
    if (unit < 0) return 0;
    // A second "<" starts a tag of its own: this one opened none.
    if (at > offset && unit == '<') return 0;
    at += width;
    if (matcher.Take(static_cast<char32_t>(unit)) != BreakTagMatcher::Step::kNone) return at - offset;
    if (matcher.Idle()) return 0;
  }
}

long SavedPageReader::UnitAt(uint64_t offset, std::size_t width) {
  const int first = ByteAt(offset);
  if (first < 0 || width == 1) return first;
  const int second = ByteAt(offset + 1);
  if (second < 0) return -1;
  return form_.encoding == PageEncoding::kUtf16Be ? (long{first} << 8) | second : (long{second} << 8) | first;
}

int SavedPageReader::ByteAt(uint64_t offset) {
  if (offset >= blockOffset_ && offset - blockOffset_ < end_) return block_[offset - blockOffset_];
  if (offset >= aheadOffset_ && offset - aheadOffset_ < aheadSize_) return ahead_[offset - aheadOffset_];
  if (sourceEnded_) return -1;  // the block holds all there was
  aheadOffset_ = offset;
  aheadSize_ = bytes_.ReadAt(offset, std::span<char>(reinterpret_cast<char*>(ahead_.data()), ahead_.size()));
  return aheadSize_ == 0 ? -1 : ahead_[0];
}

void SavedPageReader::Skip(uint64_t count) {
  if (count <= end_ - pos_) {
    pos_ += static_cast<std::size_t>(count);
    return;
  }
  // Past the block: the next Fill reads from there.
  blockOffset_ += pos_ + count;
  pos_ = 0;
  end_ = 0;
}

std::string NormaliseSavedPage(RandomAccessBytes& bytes, std::size_t readSize) {
  SavedPageReader reader(bytes, DetectSavedPage(bytes));
  std::string page;
  std::vector<char> buffer(readSize);
  while (const std::size_t got = reader.Read(buffer)) page.append(buffer.data(), got);
  return page;
}

std::string NormaliseSavedPage(std::string_view bytes) {
  MemoryBytes source(bytes);
  return NormaliseSavedPage(source);
}

}  // namespace talvorix
