#include "hermit/truth_set.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace talvorix {
namespace {

/// One row says truthful and the other liar for the same speaker.
bool Conflicts(const TruthRow& r, const TruthRow& s) {
  for (std::size_t i = 0; i < r.size(); ++i)
    if ((r[i] == Truth::kTruthful && s[i] == Truth::kLiar) ||
        (r[i] == Truth::kLiar && s[i] == Truth::kTruthful))
      return true;
  return false;
}

}  // namespace

void TruthSet::MakeVariable(int32_t speaker, Truth value) {
  rows.clear();
  if (speaker < 0 || speaker >= kSpeakerCount || value == Truth::kUndecided) return;
  TruthRow row{};
  row[static_cast<std::size_t>(speaker)] = value;
  rows.push_back(row);
}

void TruthSet::Assign(const TruthSet& other) {
  if (&other == this) return;
  rows = other.rows;
  Deduplicate();
}

void TruthSet::Deduplicate() {
  std::vector<TruthRow> kept;
  kept.reserve(rows.size());
  for (const TruthRow& row : rows)
    if (std::find(kept.begin(), kept.end(), row) == kept.end()) kept.push_back(row);
  rows = std::move(kept);
}

TruthSet Variable(int32_t speaker, Truth value) {
  TruthSet set;
  set.MakeVariable(speaker, value);
  return set;
}

TruthSet Or(const TruthSet& a, const TruthSet& b) {
  TruthSet out;
  out.rows.reserve(a.rows.size() + b.rows.size());
  out.rows.insert(out.rows.end(), a.rows.begin(), a.rows.end());
  out.rows.insert(out.rows.end(), b.rows.begin(), b.rows.end());
  out.Deduplicate();
  return out;
}

TruthSet And(const TruthSet& a, const TruthSet& b) {
  TruthSet out;
  for (const TruthRow& r : a.rows) {
    for (const TruthRow& s : b.rows) {
      if (Conflicts(r, s)) continue;
      TruthRow merged = r;
      for (std::size_t i = 0; i < merged.size(); ++i)
        if (s[i] != Truth::kUndecided) merged[i] = s[i];
      out.rows.push_back(merged);
    }
  }
  out.Deduplicate();
  return out;
}

}  // namespace talvorix
