#pragma once
// How a report was saved: the game's own form, or a page that a browser or an editor
// wrote back out (UTF-8 or UTF-16, line-break tags spelt another way). One pass over
// the bytes decides it; SavedPageReader then reads the report in the game's form.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "scanner/byte_source.h"

namespace talvorix {

/// How the bytes of a report's text are turned into Windows-1250.
enum class PageEncoding : uint8_t {
  kAsIs,      // Windows-1250 already, or plain ASCII: every byte is kept
  kUtf8,      // each character becomes its Windows-1250 byte, or "?"
  kUtf16Le,   // the same, from UTF-16 little-endian
  kUtf16Be,   // the same, from UTF-16 big-endian
  kIso88592,  // the same, from ISO-8859-2 (only when a single-file save names it)
};

/// What reading a report in the game's form takes.
struct SavedPageForm {
  PageEncoding encoding = PageEncoding::kAsIs;
  uint8_t textStart = 0;       // bytes of the byte order mark, which are dropped
  bool respellBreaks = false;  // every line-break tag becomes exactly "<BR>"

  /// The game's own form: the report is read exactly as it is.
  bool AsIs() const { return encoding == PageEncoding::kAsIs && !respellBreaks; }
  bool operator==(const SavedPageForm&) const = default;
};

/// Follows line-break tags through text, one unit at a time (a byte, or a UTF-16 code
/// unit): "<", then "b" and "r" in either case, blanks (space, tab, CR, LF), an optional
/// "/", blanks, and ">". Units from 0x80 on are other characters.
class BreakTagMatcher {
 public:
  enum class Step : uint8_t {
    kNone,          // no tag ends at this unit
    kTag,           // a tag ends here, in a spelling other than "<BR>"
    kGameSpelling,  // "<BR>" ends here
  };

  Step Take(char32_t unit);
  /// Outside any tag: only a "<" can start one.
  bool Idle() const { return state_ == State::kIdle; }

 private:
  enum class State : uint8_t { kIdle, kOpen, kB, kR, kSlash };

  State state_ = State::kIdle;
  bool gameSpelling_ = false;  // so far exactly "<", "<B" or "<BR"
};

/// Decides a report's form from its bytes, fed in order in blocks of any size.
///
/// The report is UTF-8 or UTF-16 when it starts with a byte order mark (EF BB BF, FF FE,
/// FE FF). Without one, it is UTF-16 when its first 4 KB (an even length) hold a zero
/// byte in at least 90 % of the pairs at one position and in under 10 % at the other
/// (zeros second: little-endian); otherwise UTF-8 when it holds characters of two or
/// more bytes and at most one ill-formed sequence for every hundred of them, a
/// character that the end of the report cuts not counted. Anything else is read as it
/// is. Its line-break tags are respelt when it holds no "<BR>" outside HTML comments
/// but a tag in another spelling somewhere.
class SavedPageDetector {
 public:
  /// `sizeLimit`: at most how many bytes will be fed, when known. It lets a report in
  /// the game's form be settled before its end, once its ill-formed sequences outnumber
  /// whatever the rest could still hold.
  /// `declared`: the encoding the page is known to be in (a single-file save's charset);
  /// then only a UTF-8 byte order mark is looked for, and the tags.
  explicit SavedPageDetector(std::optional<uint64_t> sizeLimit = std::nullopt,
                             std::optional<PageEncoding> declared = std::nullopt)
      : sizeLimit_(sizeLimit), declared_(declared.has_value()), encoding_(declared.value_or(PageEncoding::kAsIs)) {}

  /// Takes the report's next bytes. True once the form is settled whatever may follow:
  /// the rest need not be fed.
  bool Feed(std::string_view bytes);

  /// The form of the bytes fed, taken as the whole report.
  SavedPageForm Finish();

 private:
  /// Where an HTML comment may start or end, one unit at a time.
  enum class Comment : uint8_t { kOutside, kOpen, kBang, kBangDash, kInside, kDash, kDashDash };

  void TakeHead();
  void TakeText(std::string_view text);
  void CheckUtf8(std::string_view text);
  void FindTagsInBytes(std::string_view text);
  void FindTagsInUnits(std::string_view text);
  void TakeUnit(char32_t unit);
  bool Unicode16() const { return encoding_ == PageEncoding::kUtf16Le || encoding_ == PageEncoding::kUtf16Be; }
  bool EncodingSettled() const;
  bool Settled() const { return gameSpelling_ && EncodingSettled(); }

  std::optional<uint64_t> sizeLimit_;
  bool declared_ = false;
  uint64_t taken_ = 0;  // bytes whose characters are counted (a byte order mark is not)

  /// The first bytes, until the byte order mark and the zero bytes are known.
  static constexpr std::size_t kHeadSize = 4096;
  std::array<char, kHeadSize> head_{};
  std::size_t headSize_ = 0;
  bool headTaken_ = false;
  PageEncoding encoding_ = PageEncoding::kAsIs;  // declared, named by a byte order mark, or UTF-16 by its zeros
  uint8_t markSize_ = 0;

  std::array<unsigned char, 4> partial_{};  // a UTF-8 character that the last block cut
  uint8_t partialSize_ = 0;
  uint64_t multiByte_ = 0;  // well-formed UTF-8 characters of two or more bytes
  uint64_t illFormed_ = 0;  // ill-formed UTF-8 sequences, each as the reader replaces it

  int oddByte_ = -1;  // UTF-16: the first byte of a unit that the last block cut

  BreakTagMatcher tags_;
  Comment comment_ = Comment::kOutside;
  bool gameSpelling_ = false;
  bool otherSpelling_ = false;
};

/// Reads a report from its start in blocks, only as far as its form needs; `declared` as
/// for SavedPageDetector.
SavedPageForm DetectSavedPage(RandomAccessBytes& bytes, std::optional<PageEncoding> declared = std::nullopt);

}  // namespace talvorix
