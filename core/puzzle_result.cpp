#include "core/puzzle_result.h"

#include "core/cp1250.h"
#include "core/notices.h"
#include "core/text.h"

#include <cstring>
#include <utility>

namespace talvorix {
namespace {

/// A block holds many records; the largest record (1341 bytes with its NULs) always fits.
constexpr std::size_t kBlockSize = std::size_t{256} << 10;
static_assert(kBlockSize >= sizeof(PuzzleResult));

/// The NUL-terminated string at `at` and the position after its NUL.
std::string_view TakeString(const char*& at) {
  const std::string_view s(at);
  at += s.size() + 1;
  return s;
}

}  // namespace

std::string_view CopyableAnswer(const RecordView& record) {
  static constexpr auto kEllipsis = Cp1250(u8"…");
  if (!record.answer.ends_with(kEllipsis.view())) return record.answer;
  // A cut answer is written whole on the text's last line, after the answer label.
  const std::size_t line = record.text.rfind('\n');
  if (line == kNpos) return record.answer;
  const std::string_view last = record.text.substr(line + 1);
  if (!last.starts_with(kAnswerLabel.view()) || last.size() == kAnswerLabel.view().size()) return record.answer;
  return last.substr(kAnswerLabel.view().size());
}

std::string_view KindName(PuzzleKind kind) {
  switch (kind) {
    case PuzzleKind::kUnknown: return "unknown";
    case PuzzleKind::kCompass: return "compass";
    case PuzzleKind::kPurchase: return "purchase";
    case PuzzleKind::kRation: return "ration";
    case PuzzleKind::kProportion: return "proportion";
    case PuzzleKind::kLitter: return "litter";
    case PuzzleKind::kSequence: return "sequence";
    case PuzzleKind::kHermit: return "hermit";
    case PuzzleKind::kTruthTeller: return "truth-teller";
  }
  return "unknown";
}

ResultTable::ResultTable(ResultTable&& other) noexcept { *this = std::move(other); }

ResultTable& ResultTable::operator=(ResultTable&& other) noexcept {
  if (this == &other) return *this;
  blocks_ = std::move(other.blocks_);
  blockUsed_ = std::exchange(other.blockUsed_, 0);
  starts_ = std::move(other.starts_);
  outcomes_ = std::move(other.outcomes_);
  count_ = std::exchange(other.count_, 0);
  other.blocks_.clear();
  other.starts_.clear();
  other.outcomes_.clear();
  return *this;
}

ResultTable::ResultTable(const ResultTable& other) { *this = other; }

ResultTable& ResultTable::operator=(const ResultTable& other) {
  if (this == &other) return *this;
  Clear();
  for (int32_t k = 1; k <= other.size(); ++k) Append(*other.View(k), other.Outcome(k));
  count_ = other.count_;
  return *this;
}

void ResultTable::Append(const PuzzleResult& record, PuzzleOutcome outcome) {
  Append(RecordView{FieldText(record.text), FieldText(record.answer), FieldText(record.title)}, outcome);
}

void ResultTable::Append(const RecordView& record, PuzzleOutcome outcome) {
  // The widths less one: what a PuzzleResult's field can hold. A field ends at its
  // first NUL, as in the record; kept whole, a NUL would shift the fields after it.
  const std::string_view fields[] = {UpToNul(record.text.substr(0, sizeof(PuzzleResult::text) - 1)),
                                     UpToNul(record.answer.substr(0, sizeof(PuzzleResult::answer) - 1)),
                                     UpToNul(record.title.substr(0, sizeof(PuzzleResult::title) - 1))};
  const std::size_t need = fields[0].size() + fields[1].size() + fields[2].size() + 3;
  if (blocks_.empty() || kBlockSize - blockUsed_ < need) {
    // Default-initialised (new without braces): the pages stay untouched until used.
    blocks_.push_back(std::unique_ptr<char[]>(new char[kBlockSize]));
    blockUsed_ = 0;
  }
  char* const start = blocks_.back().get() + blockUsed_;
  char* at = start;
  for (const std::string_view field : fields) {
    if (!field.empty()) std::memcpy(at, field.data(), field.size());
    at += field.size();
    *at++ = '\0';
  }
  blockUsed_ += need;
  starts_.push_back(start);
  outcomes_.push_back(outcome);
  count_ = size();
}

void ResultTable::Clear() {
  blocks_.clear();
  blocks_.shrink_to_fit();
  blockUsed_ = 0;
  starts_.clear();
  starts_.shrink_to_fit();
  outcomes_.clear();
  outcomes_.shrink_to_fit();
  count_ = 0;
}

void ResultTable::SetUnreadable() {
  Clear();
  count_ = -1;
}

std::optional<RecordView> ResultTable::View(int32_t k) const {
  if (k < 1 || k > count_ || k > size()) return std::nullopt;
  const char* at = starts_[static_cast<std::size_t>(k - 1)];
  RecordView view;
  view.text = TakeString(at);
  view.answer = TakeString(at);
  view.title = TakeString(at);
  return view;
}

PuzzleOutcome ResultTable::Outcome(int32_t k) const {
  if (k < 1 || k > count_ || k > size()) return {};
  return outcomes_[static_cast<std::size_t>(k - 1)];
}

}  // namespace talvorix
