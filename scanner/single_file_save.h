#pragma once
// Reports saved as one file (MIME, multipart/related): where the page is in the file and
// its bytes decoded from their transfer encoding, read on demand without a copy.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "scanner/byte_source.h"
#include "scanner/saved_page.h"

namespace talvorix {

/// How a part's body is written in the file.
enum class TransferEncoding : uint8_t {
  kIdentity,         // 7bit, 8bit, binary, or none given: the bytes as they are
  kQuotedPrintable,  // "=XX" escapes, "=" at a line's end joins it to the next
  kBase64,           // four letters for three bytes; blanks and line ends are ignored
};

/// The page of a single-file save: the body of its first text/html part.
struct SingleFilePage {
  uint64_t begin = 0;  // where the part's body starts in the file
  uint64_t end = 0;    // where it ends: before the line end of the next boundary, or the file's end
  TransferEncoding encoding = TransferEncoding::kIdentity;
  std::optional<PageEncoding> charset;  // the part's charset, when it names one that is known
};

/// Whether the file is a single-file save: its header block (up to the first empty line)
/// has MIME-Version and a Content-Type multipart/related with a boundary. Then the page
/// is the first part whose Content-Type is text/html; a save without one, or whose
/// boundary never appears, has an empty page. nullopt for any other file. Reads the
/// header block, and when it is one, the file up to the end of the page; never past it.
std::optional<SingleFilePage> FindSingleFilePage(RandomAccessBytes& file);

/// The page's bytes decoded, as bytes that can be read from any offset. Reads go on from
/// where the last ones ended, or from a few earlier places it keeps, so the saved-page
/// reader's passes and its look-ahead past its block cost no more than reading on.
/// Memory stays bounded: one block of the file.
class SingleFilePageBytes final : public RandomAccessBytes {
 public:
  /// `file` must outlive this.
  SingleFilePageBytes(RandomAccessBytes& file, const SingleFilePage& page);

  std::size_t ReadAt(uint64_t offset, std::span<char> buffer) override;
  /// Decoding never makes more bytes than the body has.
  std::optional<uint64_t> SizeLimit() const override { return end_ - begin_; }

 private:
  /// Where decoding stands: everything before `raw` in the file gave `decoded` bytes, and
  /// `bits` holds base64's `bitCount` bits not handed out yet.
  struct Position {
    uint64_t raw = 0;
    uint64_t decoded = 0;
    uint32_t bits = 0;
    uint8_t bitCount = 0;
  };

  /// Decodes from `at` into `out`, at most `room` bytes; moves `at` on.
  std::size_t Decode(Position& at, char* out, std::size_t room);
  /// Makes the window hold the file from `raw` on, at least `need` bytes of it unless the
  /// body ends first. False when no byte of the body is left there.
  bool Window(uint64_t raw, std::size_t need);
  /// The kept position nearest before `offset`.
  Position StartFor(uint64_t offset) const;
  void Keep(const Position& at);

  RandomAccessBytes& file_;
  uint64_t begin_;
  uint64_t end_;  // lowered to where the file could no longer be read
  TransferEncoding encoding_;
  std::vector<unsigned char> window_;
  uint64_t windowOffset_ = 0;
  std::size_t windowSize_ = 0;
  Position current_;
  std::array<Position, 4> kept_{};  // recent positions, for a read that goes back
  std::size_t nextKept_ = 0;
  std::vector<char> skipped_;  // where bytes before a read's offset are decoded to
};

/// The whole page of a single-file save in the game's form, handed out in reads of
/// `readSize` bytes; nullopt when the bytes are not a single-file save (tests, fuzzing).
std::optional<std::string> NormaliseSingleFileSave(RandomAccessBytes& file,
                                                   std::size_t readSize = std::size_t{1} << 16);

/// The page of a single-file save decoded from its transfer encoding, before any other
/// reading, in reads of `readSize` bytes; nullopt when the bytes are not one.
std::optional<std::string> DecodeSingleFilePage(RandomAccessBytes& file, std::size_t readSize = std::size_t{1} << 16);

}  // namespace talvorix
