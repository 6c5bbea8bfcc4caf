#include "hall/sequence_row_tests.h"

#include <cstddef>

#include "core/wrap_int.h"

namespace talvorix {
namespace {

/// Tracks the smallest and largest of a run of values from bounds that start at 9999
/// and -999, so a common value is seen only within -998..9999 (-999 reads as kNoMatch).
class CommonValue {
 public:
  void Add(int32_t value) {
    if (value < low_) low_ = value;
    if (value > high_) high_ = value;
  }
  int32_t Result() const { return low_ == high_ ? low_ : kNoMatch; }

 private:
  int32_t low_ = 9999;
  int32_t high_ = -999;
};

}  // namespace

int32_t ConstantRatio(std::span<const int32_t> row) {
  if (row.size() < 2) return kNoMatch;
  CommonValue quotient;
  for (std::size_t i = 0; i + 1 < row.size(); ++i) {
    const int32_t a = row[i];
    const int32_t b = row[i + 1];
    if (a == 0 || b == 0) return kNoMatch;
    const int32_t q = WrapDiv(b, a);
    if (WrapMod(b, a) != 0 || q == 0) return kNoMatch;
    quotient.Add(q);
  }
  return quotient.Result();
}

int32_t ConstantStep(std::span<const int32_t> row) {
  if (row.size() < 2) return kNoMatch;
  CommonValue step;
  for (std::size_t i = 0; i + 1 < row.size(); ++i) step.Add(WrapSub(row[i + 1], row[i]));
  return step.Result();
}

int32_t Repetition(std::span<const int32_t> row) {
  const std::size_t k = row.size();
  std::size_t period = 1;
  while (period < k && row[period] != row[0]) ++period;
  if (period >= k) return kNoMatch;
  for (std::size_t i = 1; period + i < k; ++i)
    if (row[i] != row[period + i]) return kNoMatch;
  return row[k - period];
}

}  // namespace talvorix
