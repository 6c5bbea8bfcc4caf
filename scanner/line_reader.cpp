#include "scanner/line_reader.h"

#include <algorithm>

namespace talvorix {
namespace {

constexpr std::size_t kBlockSize = 1 << 16;
constexpr char kControlZ = 26;

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

bool LineReader::ReadLine(std::size_t limit, std::string* line) {
  line->clear();
  while (line->size() < limit) {
    if (ended_) return true;
    // Plain characters go over in one run; the three special bytes take the slow path.
    std::size_t run = pos_;
    const std::size_t stop = std::min(end_, pos_ + (limit - line->size()));
    while (run < stop && data_[run] != '\n' && data_[run] != '\r' && data_[run] != kControlZ) ++run;
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
