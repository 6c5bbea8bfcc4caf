#include "core/puzzle_result.h"

namespace talvorix {

void ResultTable::Append(const PuzzleResult& record) {
  records_.push_back(record);
  count_ = static_cast<int32_t>(records_.size());
}

void ResultTable::Clear() {
  records_.clear();
  records_.shrink_to_fit();
  count_ = 0;
}

void ResultTable::SetUnreadable() {
  Clear();
  count_ = -1;
}

const PuzzleResult* ResultTable::At(int32_t k) const {
  if (k < 1 || k > count_) return nullptr;
  return &records_[static_cast<std::size_t>(k - 1)];
}

}  // namespace talvorix
