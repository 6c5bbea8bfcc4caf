#include "scanner/line_reader.h"

#include "scanner/byte_words.h"

namespace talvorix {
namespace {

constexpr std::size_t kBlockSize = 1 << 16;
constexpr char kControlZ = 26;

/// The first of `data[from, stop)` that is a line feed, a carriage return or a
/// control-Z; `stop` when there is none. Eight bytes at a time.
std::size_t FindSpecial(const char* data, std::size_t from, std::size_t stop) {
  using namespace byte_words;
  const auto* bytes = reinterpret_cast<const unsigned char*>(data);
  std::size_t i = from;
  for (; i + 8 <= stop; i += 8) {
    const uint64_t word = Load(bytes + i);
    const uint64_t marks =
        ZeroBytes(word ^ (kOnes * '\n')) | ZeroBytes(word ^ (kOnes * '\r')) | ZeroBytes(word ^ (kOnes * kControlZ));
    if (marks != 0) return i + FirstMarked(marks);
  }
  while (i < stop && data[i] != '\n' && data[i] != '\r' && data[i] != kControlZ) ++i;
  return i;
}

}  // namespace

LineReader::LineReader(std::string_view bytes) : data_(bytes.data()), end_(bytes.size()) {}

LineReader::LineReader(ByteSource& source) : source_(&source), block_(kBlockSize) { data_ = block_.data(); }

bool LineReader::Refill() {
  if (ended_ || source_ == nullptr) return false;
  const std::size_t got = source_->Read(block_);
  pos_ = 0;
  end_ = got <= block_.size() ? got : block_.size();
  return got > 0;
}

int LineReader::Get() {
  if (ended_) return -1;
  if (pos_ == end_ && !Refill()) {
    ended_ = true;
    return -1;
  }
  const char c = data_[pos_++];
  if (c == kControlZ) {
    ended_ = true;
    return -1;
  }
  if (c == '\r') {
    if (pos_ == end_) Refill();
    if (pos_ < end_ && data_[pos_] == '\n') {
      ++pos_;
      return '\n';
    }
  }
  return static_cast<unsigned char>(c);
}

bool LineReader::ReadLine(std::size_t limit, std::string_view* line) {
  if (ReadInPlace(limit, line)) return false;
  const bool atEnd = ReadCopied(limit);
  *line = copied_;
  return atEnd;
}

bool LineReader::ReadInPlace(std::size_t limit, std::string_view* line) {
  if (ended_ || pos_ >= end_) return false;
  const std::size_t stop = end_ - pos_ > limit ? pos_ + limit : end_;
  const std::size_t run = FindSpecial(data_, pos_, stop);
  // The line ends at a line feed, at a CR LF (one line feed), or full at the limit.
  std::size_t next = run;
  if (run < stop && data_[run] == '\n') {
    next = run + 1;
  } else if (run < stop && data_[run] == '\r' && run + 1 < end_ && data_[run + 1] == '\n') {
    next = run + 2;
  } else if (run != stop || stop - pos_ != limit) {
    return false;
  }
  *line = std::string_view(data_ + pos_, run - pos_);
  pos_ = next;
  return true;
}

bool LineReader::ReadCopied(std::size_t limit) {
  std::string* line = &copied_;
  line->clear();
  while (line->size() < limit) {
    if (ended_) return true;
    // Plain characters go over in one run; the three special bytes take the slow path.
    const std::size_t room = limit - line->size();
    const std::size_t stop = end_ - pos_ > room ? pos_ + room : end_;
    const std::size_t run = FindSpecial(data_, pos_, stop);
    if (run > pos_) {
      line->append(data_ + pos_, run - pos_);
      pos_ = run;
      continue;
    }
    const int c = Get();
    if (c < 0) return true;
    if (c == '\n') return false;
    line->push_back(static_cast<char>(c));
  }
  return false;
}

}  // namespace talvorix
