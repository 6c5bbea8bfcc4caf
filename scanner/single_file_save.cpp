#include "scanner/single_file_save.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <utility>

#include "scanner/byte_words.h"
#include "scanner/saved_page_reader.h"

namespace talvorix {
namespace {

/// The most a header block may take; a longer one makes no single-file save.
constexpr std::size_t kHeaderLimit = 1 << 16;
/// Blocks of the pass that looks for boundaries, and of the decoding window.
constexpr std::size_t kBlockSize = 1 << 16;
/// A quoted-printable escape: "=" and two more bytes.
constexpr std::size_t kLongestEscape = 3;

constexpr char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }
constexpr bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Lowered(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered) c = Lower(c);
  return lowered;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (IsBlank(text.front()) || text.front() == '\r' || text.front() == '\n')) text.remove_prefix(1);
  while (!text.empty() && (IsBlank(text.back()) || text.back() == '\r' || text.back() == '\n')) text.remove_suffix(1);
  return text;
}

/// Reads from `offset` on into `out`, as much as `out` takes or the file has.
std::size_t ReadFully(RandomAccessBytes& file, uint64_t offset, std::span<char> out) {
  std::size_t got = 0;
  while (got < out.size()) {
    const std::size_t n = file.ReadAt(offset + got, out.subspan(got));
    if (n == 0) break;
    got += n;
  }
  return got;
}

/// One header, its name in lower case, its folded lines joined.
struct Header {
  std::string name;
  std::string value;
};

/// A header block: its headers, and where the first byte after its empty line is.
struct HeaderBlock {
  std::vector<Header> headers;
  uint64_t end = 0;
  bool complete = false;  // false: the file ended before the empty line
};

/// The header block at `offset`: lines up to the first empty one (LF or CR LF), lines that
/// start with a blank continuing the one before. nullopt when it runs past kHeaderLimit.
/// Read in growing pieces, so a small block costs little.
std::optional<HeaderBlock> ReadHeaderBlock(RandomAccessBytes& file, uint64_t offset) {
  std::string bytes;
  bool ended = false;
  std::size_t piece = 512;
  HeaderBlock block;
  std::size_t at = 0;
  for (;;) {
    const std::size_t lineEnd = bytes.find('\n', at);
    if (lineEnd == std::string::npos) {
      if (ended) {
        block.end = offset + bytes.size();  // the file ends inside the block
        return block;
      }
      if (bytes.size() >= kHeaderLimit) return std::nullopt;
      const std::size_t old = bytes.size();
      bytes.resize(old + piece);
      const std::size_t got = ReadFully(file, offset + old, std::span<char>(bytes.data() + old, piece));
      bytes.resize(old + got);
      ended = got < piece;
      piece = std::min(piece * 2, kHeaderLimit);
      continue;
    }
    std::string_view line(bytes.data() + at, lineEnd - at);
    if (line.ends_with('\r')) line.remove_suffix(1);
    at = lineEnd + 1;
    if (line.empty()) {
      block.end = offset + at;
      block.complete = true;
      return block;
    }
    if (IsBlank(line.front())) {
      if (block.headers.empty()) continue;
      std::string& value = block.headers.back().value;
      value += ' ';
      value += Trimmed(line);
      continue;
    }
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    block.headers.push_back({Lowered(Trimmed(line.substr(0, colon))), std::string(Trimmed(line.substr(colon + 1)))});
  }
}

const Header* Find(const HeaderBlock& block, std::string_view name) {
  for (const Header& header : block.headers)
    if (header.name == name) return &header;
  return nullptr;
}

/// A Content-Type: its media type in lower case and its parameters, names in lower case.
struct MediaType {
  std::string type;
  std::vector<std::pair<std::string, std::string>> parameters;

  std::string Parameter(std::string_view name) const {
    for (const auto& [key, value] : parameters)
      if (key == name) return value;
    return {};
  }
};

/// Splits at ";" outside quotes; a quoted value loses its quotes and its backslashes.
MediaType ParseMediaType(std::string_view value) {
  std::vector<std::string> pieces(1);
  bool quoted = false;
  for (std::size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    if (quoted && c == '\\' && i + 1 < value.size()) {
      pieces.back() += value[++i];
    } else if (c == '"') {
      quoted = !quoted;
    } else if (c == ';' && !quoted) {
      pieces.emplace_back();
    } else {
      pieces.back() += c;
    }
  }
  MediaType media;
  media.type = Lowered(Trimmed(pieces.front()));
  for (std::size_t i = 1; i < pieces.size(); ++i) {
    const std::string_view piece = pieces[i];
    const std::size_t equals = piece.find('=');
    if (equals == std::string_view::npos) continue;
    media.parameters.emplace_back(Lowered(Trimmed(piece.substr(0, equals))), std::string(Trimmed(piece.substr(equals + 1))));
  }
  return media;
}

TransferEncoding ParseTransferEncoding(const Header* header) {
  const std::string name = header == nullptr ? std::string() : Lowered(Trimmed(header->value));
  if (name == "quoted-printable") return TransferEncoding::kQuotedPrintable;
  if (name == "base64") return TransferEncoding::kBase64;
  return TransferEncoding::kIdentity;
}

/// The charsets a page part may name, with the form they are read in.
struct Charset {
  std::string_view name;
  PageEncoding encoding;
};
constexpr Charset kCharsets[] = {
    {"utf-8", PageEncoding::kUtf8},         {"utf8", PageEncoding::kUtf8},
    {"windows-1250", PageEncoding::kAsIs},  {"cp1250", PageEncoding::kAsIs},
    {"x-cp1250", PageEncoding::kAsIs},      {"iso-8859-2", PageEncoding::kIso88592},
    {"iso8859-2", PageEncoding::kIso88592}, {"latin2", PageEncoding::kIso88592},
};

std::optional<PageEncoding> ParseCharset(const MediaType& media) {
  const std::string name = Lowered(media.Parameter("charset"));
  for (const Charset& charset : kCharsets)
    if (charset.name == name) return charset.encoding;
  return std::nullopt;
}

/// A boundary line: where its "--" starts, where the line after it starts, and whether
/// it closes the parts ("--" after the boundary).
struct Delimiter {
  uint64_t start = 0;
  uint64_t next = 0;
  bool close = false;
};

/// What may follow "--boundary" on its line: "--", blanks, then the line's end or the
/// file's. nullopt when anything else does: the bytes are page text.
std::optional<Delimiter> DelimiterLine(RandomAccessBytes& file, uint64_t start, uint64_t afterBoundary) {
  std::array<char, 256> rest{};
  const std::size_t got = ReadFully(file, afterBoundary, rest);
  const std::string_view line(rest.data(), got);
  Delimiter delimiter{start, 0, line.starts_with("--")};
  std::size_t at = delimiter.close ? 2 : 0;
  while (at < line.size() && IsBlank(line[at])) ++at;
  if (at == line.size() && got < rest.size()) {
    delimiter.next = afterBoundary + at;  // the file ends on the boundary line
    return delimiter;
  }
  if (line.substr(at).starts_with("\r\n")) at += 2;
  else if (line.substr(at).starts_with("\n")) at += 1;
  else return std::nullopt;
  delimiter.next = afterBoundary + at;
  return delimiter;
}

/// Looks for one boundary's lines; its buffer is kept from one search to the next.
class BoundarySearch {
 public:
  explicit BoundarySearch(std::string_view boundary)
      : needle_("\n--" + std::string(boundary)), block_(kBlockSize + needle_.size()) {}
  BoundarySearch(const BoundarySearch&) = delete;
  BoundarySearch& operator=(const BoundarySearch&) = delete;

  /// The first boundary line that starts at `from` or after a line feed after it;
  /// nullopt when the file ends first, then with `*fileEnd` where it ended. Reads in
  /// growing pieces, so a boundary close by costs little.
  std::optional<Delimiter> Next(RandomAccessBytes& file, uint64_t from, uint64_t* fileEnd) {
    // block_[0] stands for the line end before `from`; block_[i] is the byte at origin + i - 1.
    block_[0] = '\n';
    std::size_t carried = 1;
    uint64_t origin = from;
    uint64_t next = from;
    for (std::size_t piece = 256;; piece = std::min(piece * 2, kBlockSize)) {
      const std::size_t got = file.ReadAt(next, std::span<char>(block_.data() + carried, piece));
      if (got == 0) {
        *fileEnd = next;
        return std::nullopt;
      }
      next += got;
      // string_view::find looks for the first byte with memchr, which every library has.
      const std::string_view text(block_.data(), carried + got);
      for (std::size_t at = 0; (at = text.find(needle_, at)) != std::string_view::npos; ++at) {
        const uint64_t start = origin + static_cast<uint64_t>(at);
        if (std::optional<Delimiter> found = DelimiterLine(file, start, start + needle_.size() - 1)) return found;
      }
      // The last bytes may start a boundary that the next piece completes.
      const std::size_t size = carried + got;
      const std::size_t keep = std::min(size, needle_.size() - 1);
      std::memmove(block_.data(), block_.data() + size - keep, keep);
      origin += size - keep;
      carried = keep;
    }
  }

 private:
  std::string needle_;
  std::vector<char> block_;
};

/// The file read through a window of one block: the many small reads of the parts'
/// headers and boundaries cost no system call each.
class FileWindow final : public RandomAccessBytes {
 public:
  explicit FileWindow(RandomAccessBytes& file) : file_(file), window_(kBlockSize) {}

  std::size_t ReadAt(uint64_t offset, std::span<char> buffer) override {
    if (offset < windowOffset_ || offset - windowOffset_ >= windowSize_) {
      windowOffset_ = offset;
      windowSize_ = ReadFully(file_, offset, window_);
    }
    if (offset < windowOffset_ || offset - windowOffset_ >= windowSize_) return 0;
    const auto at = static_cast<std::size_t>(offset - windowOffset_);
    const std::size_t n = std::min(buffer.size(), windowSize_ - at);
    std::memcpy(buffer.data(), window_.data() + at, n);
    return n;
  }

 private:
  RandomAccessBytes& file_;
  std::vector<char> window_;
  uint64_t windowOffset_ = 0;
  std::size_t windowSize_ = 0;
};

}  // namespace

std::optional<SingleFilePage> FindSingleFilePage(RandomAccessBytes& unbuffered) {
  FileWindow file(unbuffered);
  const std::optional<HeaderBlock> head = ReadHeaderBlock(file, 0);
  // A file that ends inside its header block is all header block.
  if (!head || Find(*head, "mime-version") == nullptr) return std::nullopt;
  const Header* contentType = Find(*head, "content-type");
  if (contentType == nullptr) return std::nullopt;
  const MediaType media = ParseMediaType(contentType->value);
  const std::string boundary = media.Parameter("boundary");
  if (media.type != "multipart/related" || boundary.empty()) return std::nullopt;

  SingleFilePage page{head->end, head->end, TransferEncoding::kIdentity, std::nullopt};
  BoundarySearch search(boundary);
  uint64_t fileEnd = 0;
  std::optional<Delimiter> delimiter = search.Next(file, head->end, &fileEnd);
  // Each turn goes past one boundary line, so the parts end with the file.
  while (delimiter && !delimiter->close) {
    const std::optional<HeaderBlock> part = ReadHeaderBlock(file, delimiter->next);
    const uint64_t bodyStart = part ? part->end : delimiter->next;
    delimiter = search.Next(file, bodyStart, &fileEnd);
    if (!part || !part->complete) continue;
    const Header* partType = Find(*part, "content-type");
    const MediaType partMedia = ParseMediaType(partType == nullptr ? std::string_view() : partType->value);
    if (partMedia.type != "text/html") continue;
    page.begin = bodyStart;
    page.end = fileEnd;
    if (delimiter) {
      // The line end before the boundary belongs to the boundary.
      page.end = delimiter->start;
      std::array<char, 1> before{};
      if (page.end > bodyStart && file.ReadAt(page.end - 1, before) == 1 && before[0] == '\n') --page.end;
      if (page.end > bodyStart && file.ReadAt(page.end - 1, before) == 1 && before[0] == '\r') --page.end;
    }
    page.encoding = ParseTransferEncoding(Find(*part, "content-transfer-encoding"));
    page.charset = ParseCharset(partMedia);
    return page;
  }
  return page;
}

namespace {

/// The value of a base64 letter; -1 for any other byte, which is skipped.
consteval std::array<int8_t, 256> MakeBase64Table() {
  std::array<int8_t, 256> table{};
  table.fill(-1);
  constexpr std::string_view kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  for (std::size_t i = 0; i < kLetters.size(); ++i) table[static_cast<unsigned char>(kLetters[i])] = static_cast<int8_t>(i);
  return table;
}
constexpr std::array<int8_t, 256> kBase64 = MakeBase64Table();

/// The value of a hexadecimal digit in either case; -1 for any other byte.
consteval std::array<int8_t, 256> MakeHexTable() {
  std::array<int8_t, 256> table{};
  table.fill(-1);
  for (int i = 0; i < 10; ++i) table['0' + i] = static_cast<int8_t>(i);
  for (int i = 0; i < 6; ++i) table['a' + i] = table['A' + i] = static_cast<int8_t>(10 + i);
  return table;
}
constexpr std::array<int8_t, 256> kHexValue = MakeHexTable();

}  // namespace

SingleFilePageBytes::SingleFilePageBytes(RandomAccessBytes& file, const SingleFilePage& page)
    : file_(file), begin_(page.begin), end_(std::max(page.begin, page.end)), encoding_(page.encoding),
      window_(kBlockSize), current_{page.begin, 0, 0, 0} {
  kept_.fill(current_);
}

std::size_t SingleFilePageBytes::ReadAt(uint64_t offset, std::span<char> buffer) {
  if (buffer.empty()) return 0;
  if (encoding_ == TransferEncoding::kIdentity) {
    if (offset >= end_ - begin_) return 0;
    const uint64_t left = end_ - begin_ - offset;
    return file_.ReadAt(begin_ + offset, buffer.first(static_cast<std::size_t>(std::min<uint64_t>(left, buffer.size()))));
  }
  Position at = StartFor(offset);
  Keep(current_);
  if (skipped_.empty() && at.decoded < offset) skipped_.resize(kBlockSize);
  while (at.decoded < offset) {
    const std::size_t room = static_cast<std::size_t>(std::min<uint64_t>(offset - at.decoded, skipped_.size()));
    if (Decode(at, skipped_.data(), room) == 0) break;  // the page ends before `offset`
  }
  if (at.decoded < offset) {
    current_ = at;
    return 0;
  }
  Keep(at);
  const std::size_t got = Decode(at, buffer.data(), buffer.size());
  current_ = at;
  return got;
}

SingleFilePageBytes::Position SingleFilePageBytes::StartFor(uint64_t offset) const {
  Position best{begin_, 0, 0, 0};
  const auto consider = [&](const Position& p) {
    if (p.decoded <= offset && p.decoded >= best.decoded) best = p;
  };
  for (const Position& p : kept_) consider(p);
  consider(current_);
  return best;
}

void SingleFilePageBytes::Keep(const Position& at) {
  for (const Position& p : kept_)
    if (p.decoded == at.decoded && p.raw == at.raw) return;
  kept_[nextKept_] = at;
  nextKept_ = (nextKept_ + 1) % kept_.size();
}

bool SingleFilePageBytes::Window(uint64_t raw, std::size_t need) {
  if (raw >= end_) return false;
  need = static_cast<std::size_t>(std::min<uint64_t>(need, end_ - raw));
  if (raw >= windowOffset_ && raw - windowOffset_ + need <= windowSize_) return true;
  const std::size_t want = static_cast<std::size_t>(std::min<uint64_t>(window_.size(), end_ - raw));
  windowOffset_ = raw;
  windowSize_ = ReadFully(file_, raw, std::span<char>(reinterpret_cast<char*>(window_.data()), want));
  if (windowSize_ < need) end_ = raw + windowSize_;  // the file could not be read further: it ends here
  return windowSize_ > 0;
}

std::size_t SingleFilePageBytes::Decode(Position& at, char* out, std::size_t room) {
  std::size_t written = 0;
  while (written < room) {
    if (encoding_ == TransferEncoding::kBase64 && at.bitCount >= 8) {
      at.bitCount = static_cast<uint8_t>(at.bitCount - 8);
      out[written++] = static_cast<char>((at.bits >> at.bitCount) & 0xFF);
      ++at.decoded;
      continue;
    }
    if (!Window(at.raw, kLongestEscape)) break;
    const unsigned char* from = window_.data() + (at.raw - windowOffset_);
    const std::size_t left = windowSize_ - static_cast<std::size_t>(at.raw - windowOffset_);
    if (encoding_ == TransferEncoding::kBase64) {
      // Letters go in six bits at a time; each full byte goes out before the next letter.
      std::size_t i = 0;
      while (i < left && written < room) {
        const int value = kBase64[from[i]];
        if (from[i] == '=') at.bitCount = 0;  // padding: the bits left over are no byte
        ++i;
        if (value < 0) continue;
        at.bits = ((at.bits << 6) | static_cast<uint32_t>(value)) & 0xFFFFu;
        at.bitCount = static_cast<uint8_t>(at.bitCount + 6);
        if (at.bitCount < 8) continue;
        at.bitCount = static_cast<uint8_t>(at.bitCount - 8);
        out[written++] = static_cast<char>((at.bits >> at.bitCount) & 0xFF);
        ++at.decoded;
      }
      at.raw += i;
      continue;
    }
    // Quoted-printable, within the window: bytes other than "=" are copied, eight at a
    // time while none of them is one.
    std::size_t i = 0;
    const std::size_t before = written;
    while (i < left && written < room) {
      if (i + 8 <= left && written + 8 <= room) {
        const uint64_t word = byte_words::Load(from + i);
        const std::size_t plain = byte_words::FirstMarked(byte_words::ZeroBytes(word ^ (byte_words::kOnes * '=')));
        std::memcpy(out + written, from + i, 8);  // what follows the run is written over next
        i += plain;
        written += plain;
        if (plain == 8) continue;
      }
      if (from[i] != '=') {
        out[written++] = static_cast<char>(from[i++]);
        continue;
      }
      const std::size_t after = left - i - 1;
      if (after < 2 && at.raw + i + 1 + after < end_) break;  // the window cuts the escape: it moves on
      const unsigned char* next = from + i + 1;
      if (after >= 1 && next[0] == '\n') {
        i += 2;  // a soft line break
      } else if (after >= 2 && next[0] == '\r' && next[1] == '\n') {
        i += 3;
      } else if (after >= 2 && kHexValue[next[0]] >= 0 && kHexValue[next[1]] >= 0) {
        out[written++] = static_cast<char>(kHexValue[next[0]] * 16 + kHexValue[next[1]]);
        i += 3;
      } else {
        out[written++] = '=';  // no escape: the "=" is kept as it is
        ++i;
      }
    }
    at.raw += i;
    at.decoded += written - before;
  }
  return written;
}

std::optional<std::string> DecodeSingleFilePage(RandomAccessBytes& file, std::size_t readSize) {
  const std::optional<SingleFilePage> page = FindSingleFilePage(file);
  if (!page) return std::nullopt;
  SingleFilePageBytes bytes(file, *page);
  std::string decoded;
  std::vector<char> buffer(readSize);
  for (uint64_t offset = 0;;) {
    const std::size_t got = bytes.ReadAt(offset, buffer);
    if (got == 0) break;
    decoded.append(buffer.data(), got);
    offset += got;
  }
  return decoded;
}

std::optional<std::string> NormaliseSingleFileSave(RandomAccessBytes& file, std::size_t readSize) {
  const std::optional<SingleFilePage> page = FindSingleFilePage(file);
  if (!page) return std::nullopt;
  SingleFilePageBytes bytes(file, *page);
  SavedPageReader reader(bytes, DetectSavedPage(bytes, page->charset));
  std::string text;
  std::vector<char> buffer(readSize);
  while (const std::size_t got = reader.Read(buffer)) text.append(buffer.data(), got);
  return text;
}

}  // namespace talvorix
