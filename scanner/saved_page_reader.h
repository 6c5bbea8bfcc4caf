#pragma once
// A saved page read in the game's own form: Windows-1250 bytes with "<BR>" tags.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "scanner/byte_source.h"
#include "scanner/saved_page.h"

namespace talvorix {

/// Reads a report in the form DetectSavedPage found, as a stream in the game's form.
/// Unicode text becomes Windows-1250: the byte order mark is dropped, each character
/// that the code page has becomes its byte and any other character "?", and so does
/// each ill-formed sequence. When the form says so, every line-break tag becomes
/// exactly "<BR>". Nothing else changes. Memory stays bounded: one block of the report,
/// and a small one for looking past it at a tag that the block cuts.
class SavedPageReader final : public ByteSource {
 public:
  /// `bytes` must outlive the reader.
  SavedPageReader(RandomAccessBytes& bytes, SavedPageForm form);

  std::size_t Read(std::span<char> buffer) override;

 private:
  /// At least `need` bytes from where the text goes on, unless it ends first; false
  /// when no byte is left.
  bool Fill(std::size_t need);
  std::size_t TakeBytes(char* out, std::size_t room);
  std::size_t TakeUtf8(char* out, std::size_t room);
  std::size_t TakeUtf16(char* out, std::size_t room);
  /// Four UTF-16 units below 0x80 (and no "<" among them when tags are respelt) as
  /// four bytes; false, taking nothing, for any other eight bytes.
  bool TakeFourAsciiUnits(char* out, bool bigEndian);
  /// At a "<" of `width` bytes: either its tag is handed out as "<BR>" and skipped, or
  /// the "<" itself is written to `out`. Returns the bytes written (0 or 1).
  std::size_t TakeOpening(char* out, std::size_t width);
  /// The length in bytes of the line-break tag whose "<" is at `offset`; 0 if none.
  uint64_t TagLength(uint64_t offset, std::size_t width);
  /// The unit of `width` bytes at `offset`; -1 past the end.
  long UnitAt(uint64_t offset, std::size_t width);
  /// The byte at `offset`, from the block or from the look-ahead; -1 past the end.
  int ByteAt(uint64_t offset);
  /// Goes on `count` bytes further on, within the block or past it.
  void Skip(uint64_t count);

  RandomAccessBytes& bytes_;
  SavedPageForm form_;
  std::vector<unsigned char> block_;
  uint64_t blockOffset_ = 0;  // where block_[0] is in the report
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  bool sourceEnded_ = false;
  std::string_view pending_;  // what is left of a "<BR>" to hand out
  std::vector<unsigned char> ahead_;
  uint64_t aheadOffset_ = 0;
  std::size_t aheadSize_ = 0;
};

/// The whole report in the game's form, handed out by the reader in reads of
/// `readSize` bytes (tests, fuzzing).
std::string NormaliseSavedPage(RandomAccessBytes& bytes, std::size_t readSize = std::size_t{1} << 16);

/// The whole report held in memory, in the game's form.
std::string NormaliseSavedPage(std::string_view bytes);

}  // namespace talvorix
