#include "scanner/saved_page.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "scanner/byte_words.h"
#include "scanner/unicode_text.h"

namespace talvorix {
namespace {

/// The byte order marks, each with the encoding it names.
struct ByteOrderMark {
  std::string_view bytes;
  PageEncoding encoding;
};
constexpr std::array<ByteOrderMark, 3> kByteOrderMarks = {{
    {"\xEF\xBB\xBF", PageEncoding::kUtf8},
    {"\xFF\xFE", PageEncoding::kUtf16Le},
    {"\xFE\xFF", PageEncoding::kUtf16Be},
}};

/// Blocks of the first pass.
constexpr std::size_t kDetectBlock = 1 << 16;

constexpr bool IsBlank(char32_t unit) { return unit == ' ' || unit == '\t' || unit == '\r' || unit == '\n'; }

}  // namespace

BreakTagMatcher::Step BreakTagMatcher::Take(char32_t unit) {
  if (unit == '<') {  // starts a tag whatever came before
    state_ = State::kOpen;
    gameSpelling_ = true;
    return Step::kNone;
  }
  switch (state_) {
    case State::kIdle:
      return Step::kNone;
    case State::kOpen:
    case State::kB: {
      const char32_t upper = state_ == State::kOpen ? 'B' : 'R';
      if (unit != upper && unit != upper + ('a' - 'A')) break;
      gameSpelling_ = gameSpelling_ && unit == upper;
      state_ = state_ == State::kOpen ? State::kB : State::kR;
      return Step::kNone;
    }
    case State::kR:
    case State::kSlash:
      if (IsBlank(unit)) {
        gameSpelling_ = false;
        return Step::kNone;
      }
      if (unit == '/' && state_ == State::kR) {
        gameSpelling_ = false;
        state_ = State::kSlash;
        return Step::kNone;
      }
      if (unit != '>') break;
      state_ = State::kIdle;
      return gameSpelling_ ? Step::kGameSpelling : Step::kTag;
  }
  state_ = State::kIdle;
  return Step::kNone;
}

bool SavedPageDetector::Feed(std::string_view bytes) {
  if (!headTaken_) {
    const std::size_t n = std::min(bytes.size(), kHeadSize - headSize_);
    std::memcpy(head_.data() + headSize_, bytes.data(), n);
    headSize_ += n;
    bytes.remove_prefix(n);
    if (headSize_ < kHeadSize) return false;
    TakeHead();
  }
  if (!Settled()) TakeText(bytes);
  return Settled();
}

SavedPageForm SavedPageDetector::Finish() {
  if (!headTaken_) TakeHead();
  SavedPageForm form;
  form.encoding = encoding_;
  form.textStart = markSize_;
  // A character that the end cuts is not counted: a download cut short is still UTF-8.
  if (!declared_ && encoding_ == PageEncoding::kAsIs && multiByte_ > 0 && illFormed_ <= multiByte_ / 100)
    form.encoding = PageEncoding::kUtf8;
  form.respellBreaks = !gameSpelling_ && otherSpelling_;
  return form;
}

bool SavedPageDetector::EncodingSettled() const {
  if (declared_ || encoding_ != PageEncoding::kAsIs) return true;
  if (!sizeLimit_) return false;
  // Not UTF-8 whatever follows: even if every byte left made a two-byte character,
  // there would be over one ill-formed sequence for each hundred.
  const uint64_t left = *sizeLimit_ - std::min(taken_, *sizeLimit_) + partialSize_;
  return illFormed_ > (multiByte_ + left / 2) / 100;
}

void SavedPageDetector::TakeHead() {
  headTaken_ = true;
  const std::string_view head(head_.data(), headSize_);
  for (const ByteOrderMark& mark : kByteOrderMarks) {
    if (!head.starts_with(mark.bytes)) continue;
    // A declared charset stands; only UTF-8 may still start with its mark.
    if (declared_ && (encoding_ != PageEncoding::kUtf8 || mark.encoding != PageEncoding::kUtf8)) break;
    encoding_ = mark.encoding;
    markSize_ = static_cast<uint8_t>(mark.bytes.size());
    break;
  }
  if (markSize_ == 0 && !declared_) {
    // UTF-16 without a mark: ASCII text puts a zero in one byte of nearly every unit.
    std::array<std::size_t, 2> zeros{};
    const std::size_t units = headSize_ / 2;
    for (std::size_t i = 0; i < 2 * units; ++i) zeros[i % 2] += head[i] == '\0' ? 1 : 0;
    const auto most = [&](std::size_t n) { return n * 10 >= units * 9; };
    const auto few = [&](std::size_t n) { return n * 10 < units; };
    if (units > 0 && most(zeros[1]) && few(zeros[0])) encoding_ = PageEncoding::kUtf16Le;
    if (units > 0 && most(zeros[0]) && few(zeros[1])) encoding_ = PageEncoding::kUtf16Be;
  }
  TakeText(head.substr(markSize_));
}

void SavedPageDetector::TakeText(std::string_view text) {
  if (Unicode16()) {
    if (!gameSpelling_) FindTagsInUnits(text);
    taken_ += text.size();
    return;
  }
  // A byte below 0x80 is the same character in UTF-8 and in Windows-1250, and no
  // ill-formed UTF-8 takes one in: tags are found in the bytes themselves.
  if (encoding_ == PageEncoding::kAsIs && !EncodingSettled()) CheckUtf8(text);
  if (!gameSpelling_) FindTagsInBytes(text);
  taken_ += text.size();
}

void SavedPageDetector::CheckUtf8(std::string_view text) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  std::size_t i = 0;
  if (partialSize_ > 0) {
    // Complete the character that the last block cut with this block's first bytes.
    std::array<unsigned char, 4> joined = partial_;
    std::size_t size = partialSize_;
    while (size < joined.size() && i < n) joined[size++] = bytes[i++];
    const DecodedCharacter c = DecodeUtf8(joined.data(), size);
    if (c.kind == Decoding::kTruncated) {  // still cut: this block was all of it so far
      partial_ = joined;
      partialSize_ = static_cast<uint8_t>(size);
      return;
    }
    ++(c.kind == Decoding::kIllFormed ? illFormed_ : multiByte_);
    // The cut bytes were a well-formed start, so the character ends in this block.
    i = c.length - partialSize_;
    partialSize_ = 0;
  }
  while (i < n) {
    if (i + 8 <= n) {
      const std::size_t plain = byte_words::FirstMarked(byte_words::HighBytes(byte_words::Load(bytes + i)));
      i += plain;
      if (plain == 8) continue;
    }
    if (bytes[i] < 0x80) {
      ++i;
      continue;
    }
    if (bytes[i] >= 0xC2 && bytes[i] <= 0xDF && i + 1 < n && (bytes[i + 1] & 0xC0) == 0x80) {
      ++multiByte_;  // two bytes, the form of every accented Latin letter
      i += 2;
      continue;
    }
    const DecodedCharacter c = DecodeUtf8(bytes + i, n - i);
    if (c.kind == Decoding::kTruncated) {
      std::memcpy(partial_.data(), bytes + i, n - i);
      partialSize_ = static_cast<uint8_t>(n - i);
      return;
    }
    ++(c.kind == Decoding::kIllFormed ? illFormed_ : multiByte_);
    i += c.length;
  }
}

void SavedPageDetector::FindTagsInBytes(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    if (comment_ == Comment::kInside) {
      // Only a "-" can start the comment's end.
      i = text.find('-', i);
      if (i == std::string_view::npos) return;
    } else if (comment_ == Comment::kOutside && tags_.Idle()) {
      i = text.find('<', i);
      if (i == std::string_view::npos) return;
      // Most tags are neither line breaks nor comments: a "<" whose next byte is no "b"
      // and no "!" goes by at once.
      if (i + 1 < text.size() && (text[i + 1] | 0x20) != 'b' && text[i + 1] != '!') {
        ++i;
        continue;
      }
    }
    TakeUnit(static_cast<unsigned char>(text[i++]));
    if (gameSpelling_) return;
  }
}

void SavedPageDetector::FindTagsInUnits(std::string_view text) {
  const bool bigEndian = encoding_ == PageEncoding::kUtf16Be;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (oddByte_ < 0) {
      oddByte_ = byte;
      continue;
    }
    const unsigned first = static_cast<unsigned>(oddByte_);
    oddByte_ = -1;
    TakeUnit(bigEndian ? (first << 8) | byte : (unsigned{byte} << 8) | first);
    if (gameSpelling_) return;
  }
}

void SavedPageDetector::TakeUnit(char32_t unit) {
  switch (comment_) {
    case Comment::kInside:
      if (unit == '-') comment_ = Comment::kDash;
      return;
    case Comment::kDash:
      comment_ = unit == '-' ? Comment::kDashDash : Comment::kInside;
      return;
    case Comment::kDashDash:
      comment_ = unit == '>' ? Comment::kOutside : unit == '-' ? Comment::kDashDash : Comment::kInside;
      return;
    case Comment::kOpen:
      comment_ = unit == '!' ? Comment::kBang : Comment::kOutside;
      break;
    case Comment::kBang:
      comment_ = unit == '-' ? Comment::kBangDash : Comment::kOutside;
      break;
    case Comment::kBangDash:
      if (unit == '-') {
        comment_ = Comment::kInside;  // "<!--": no tag counts until "-->"
        return;
      }
      comment_ = Comment::kOutside;
      break;
    case Comment::kOutside:
      break;
  }
  if (unit == '<') comment_ = Comment::kOpen;
  const BreakTagMatcher::Step step = tags_.Take(unit);
  if (step == BreakTagMatcher::Step::kGameSpelling) gameSpelling_ = true;
  if (step == BreakTagMatcher::Step::kTag) otherSpelling_ = true;
}

SavedPageForm DetectSavedPage(RandomAccessBytes& bytes, std::optional<PageEncoding> declared) {
  SavedPageDetector detector(bytes.SizeLimit(), declared);
  std::vector<char> block(kDetectBlock);
  uint64_t offset = 0;
  for (;;) {
    const std::size_t got = bytes.ReadAt(offset, block);
    if (got == 0 || detector.Feed(std::string_view(block.data(), got))) break;
    offset += got;
  }
  return detector.Finish();
}

}  // namespace talvorix
