#include "cli/output.h"

#include <nlohmann/json.hpp>

#include "core/cp1250.h"
#include "core/notices.h"

namespace talvorix {

std::string FormatRecords(const ResultTable& table) {
  if (table.count() < 0) return {};
  if (table.count() == 0) return Cp1250ToUtf8(kNoPuzzleNotice) + "\n";
  std::string out;
  for (int32_t k = 1; k <= table.count(); ++k) {
    const PuzzleResult& r = *table.At(k);
    if (k > 1) out += "\n";
    out.append("[").append(std::to_string(k)).append("/").append(std::to_string(table.count())).append("]");
    out += Cp1250ToUtf8(FieldText(r.title)) + "\n";
    out += Cp1250ToUtf8(FieldText(r.text)) + "\n";
    out += Cp1250ToUtf8(kAnswerLabel) + Cp1250ToUtf8(FieldText(r.answer)) + "\n";
  }
  return out;
}

std::string FormatJsonLine(std::string_view path, const ResultTable& table) {
  nlohmann::ordered_json records = nlohmann::ordered_json::array();
  for (const PuzzleResult& r : table.records()) {
    records.push_back(nlohmann::ordered_json{{"text", Cp1250ToUtf8(FieldText(r.text))},
                       {"answer", Cp1250ToUtf8(FieldText(r.answer))},
                       {"title", Cp1250ToUtf8(FieldText(r.title))}});
  }
  nlohmann::ordered_json line;
  line["path"] = std::string(path);
  line["count"] = table.count();
  line["records"] = records;
  // A path is whatever bytes the caller gave; bytes that are not UTF-8 become U+FFFD.
  return line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

std::string EscapeControlBytes(std::string_view bytes) {
  constexpr std::string_view kHex = "0123456789abcdef";
  std::string out;
  out.reserve(bytes.size());
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7f) {
      out.push_back(c);
      continue;
    }
    out.append("\\x");
    out.push_back(kHex[byte >> 4]);
    out.push_back(kHex[byte & 0x0f]);
  }
  return out;
}

}  // namespace talvorix
