#include "cli/output.h"

#include <array>
#include <cstddef>
#include <cstdio>
#include <utility>

#include <nlohmann/json.hpp>

#include "cli/terminal.h"
#include "core/cp1250.h"
#include "core/notices.h"

namespace talvorix {
namespace {

using Json = nlohmann::ordered_json;

constexpr std::string_view kHex = "0123456789abcdef";

void AppendHexEscape(unsigned char byte, std::string* out) {
  out->append("\\x");
  out->push_back(kHex[byte >> 4]);
  out->push_back(kHex[byte & 0x0f]);
}

/// The Windows-1250 bytes that would reach a terminal as control characters: C0 but
/// the tab and the line feed (a truth table's answer has a line per speaker), DEL, and
/// the five bytes the code page leaves undefined, which decode to C1 controls.
constexpr std::array<bool, 256> kControlBytes = [] {
  std::array<bool, 256> control{};
  for (std::size_t b = 0; b < 0x20; ++b) control[b] = b != '\t' && b != '\n';
  control[0x7F] = true;
  for (std::size_t b = 0x80; b < 0x100; ++b) control[b] = cp1250_detail::kHighHalf[b - 0x80] < 0xA0;
  return control;
}();

/// Appends a record's field for a terminal: its UTF-8, with each control character
/// written as \xHH, as paths are, so that a report cannot move the cursor, clear the
/// screen or retitle the terminal. A report in the game's own form holds none.
void AppendShown(std::string_view cp1250, std::string* out) {
  std::size_t from = 0;
  for (std::size_t i = 0; i < cp1250.size(); ++i) {
    const auto byte = static_cast<unsigned char>(cp1250[i]);
    if (!kControlBytes[byte]) continue;
    AppendUtf8(cp1250.substr(from, i - from), out);
    AppendHexEscape(byte, out);
    from = i + 1;
  }
  AppendUtf8(cp1250.substr(from), out);
}

/// Writes each record as the dialog shows it through `emit`, one piece at a time, so
/// nothing larger than one record is ever held; stops when `emit` returns false.
template <typename Emit>
void EmitRecords(const ResultTable& table, Emit&& emit) {
  if (table.count() < 0) return;
  if (table.count() == 0) {
    emit(Cp1250ToUtf8(kNoPuzzleNotice) + "\n");
    return;
  }
  const std::string total = std::to_string(table.count());
  const std::string answerLabel = Cp1250ToUtf8(kAnswerLabel);
  std::string piece;
  for (int32_t k = 1; k <= table.count(); ++k) {
    const std::optional<RecordView> r = table.View(k);
    if (!r) break;
    piece.clear();
    if (k > 1) piece += "\n";
    piece.append("[").append(std::to_string(k)).append("/").append(total).append("]");
    AppendShown(r->title, &piece);
    piece += '\n';
    AppendShown(r->text, &piece);
    piece += '\n';
    piece += answerLabel;
    AppendShown(r->answer, &piece);
    piece += '\n';
    if (!emit(piece)) return;
  }
}

/// A JSON value as one line; a path is whatever bytes the caller gave, so bytes that
/// are not UTF-8 become U+FFFD.
std::string Dump(const Json& value) { return value.dump(-1, ' ', false, Json::error_handler_t::replace); }

/// Whether a JSON string of the field needs an escape: a quote, a backslash or a
/// control character. Each is the same byte in Windows-1250 and in UTF-8, and no other
/// character of the code page is escaped in the library's form (non-ASCII as it is).
bool NeedsEscape(std::string_view cp1250) {
  for (const char c : cp1250)
    if (c == '"' || c == '\\' || (static_cast<unsigned char>(c) < 0x20)) return true;
  return false;
}

/// Appends a record's field as a JSON string value. The library escapes every field
/// that needs it; one that does not is the same between quotes, without a detour
/// through a document.
void AppendJsonField(std::string_view cp1250, std::string* out) {
  if (NeedsEscape(cp1250)) {
    *out += Dump(Json(Cp1250ToUtf8(cp1250)));
    return;
  }
  out->push_back('"');
  AppendUtf8(cp1250, out);
  out->push_back('"');
}

/// The JSON line of a report, written record by record through `emit`: the same bytes
/// as the whole document dumped at once. Stops when `emit` returns false.
template <typename Emit>
void EmitJsonLine(std::string_view path, const ResultTable& table, Emit&& emit) {
  if (!emit("{\"path\":" + Dump(Json(std::string(path))) + ",\"count\":" + std::to_string(table.count()) +
            ",\"records\":["))
    return;
  // Each field is escaped by the library as a string value; the object around the three
  // is written here in the library's compact form, without building a document.
  std::string piece;
  for (int32_t k = 1; k <= table.count(); ++k) {
    const std::optional<RecordView> r = table.View(k);
    if (!r) break;
    piece.assign(k > 1 ? ",{\"text\":" : "{\"text\":");
    AppendJsonField(r->text, &piece);
    piece += ",\"answer\":";
    AppendJsonField(r->answer, &piece);
    piece += ",\"title\":";
    AppendJsonField(r->title, &piece);
    // Added after the three fields, so a reader of the first three sees no change.
    const PuzzleOutcome outcome = table.Outcome(k);
    piece.append(",\"kind\":\"").append(KindName(outcome.kind)).append("\",\"solved\":");
    piece += outcome.solved ? "true}" : "false}";
    if (!emit(piece)) return;
  }
  emit("]}");
}

}  // namespace

std::string FormatRecords(const ResultTable& table) {
  std::string out;
  EmitRecords(table, [&](std::string_view piece) {
    out += piece;
    return true;
  });
  return out;
}

bool WriteRecords(CheckedOutput& out, const ResultTable& table) {
  EmitRecords(table, [&](std::string_view piece) { return out.Write(piece); });
  return !out.failed();
}

std::string FormatJsonLine(std::string_view path, const ResultTable& table) {
  std::string out;
  EmitJsonLine(path, table, [&](std::string_view piece) {
    out += piece;
    return true;
  });
  return out;
}

bool WriteJsonLine(CheckedOutput& out, std::string_view path, const ResultTable& table) {
  EmitJsonLine(path, table, [&](std::string_view piece) { return out.Write(piece); });
  return out.Write("\n");
}

bool ReportPrinter::Print(std::string_view path, const ResultTable& table) {
  const bool first = std::exchange(first_, false);
  const std::string utf8Path = ArgumentAsUtf8(path);
  if (layout_.json) return WriteJsonLine(out_, utf8Path, table) && (!layout_.live || out_.Flush());
  // A file name may hold any byte; control bytes never reach the terminal raw.
  const std::string shownPath = EscapeControlBytes(utf8Path);
  if (layout_.headers && !out_.Write((first || layout_.live ? "==> " : "\n==> ") + shownPath + " <==\n")) return false;
  if (table.count() >= 0) {
    if (!WriteRecords(out_, table)) return false;
  } else {
    // A live reader sees the header before the notice, also where both streams meet.
    if (layout_.live && !out_.Flush()) return false;
    // Error output: when it fails as well there is nowhere left to say so.
    static_cast<void>(
        WriteText(stderr, "talvorix-cli: " + shownPath + ": " + Cp1250ToUtf8(kNoSuchFileNotice) + "\n"));
    if (layout_.live) std::fflush(stderr);  // at once, also where the runtime buffers a redirected stderr
  }
  return !layout_.live || (out_.Write("\n") && out_.Flush());
}

std::string EscapeControlBytes(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    const bool c1 = byte == 0xC2 && i + 1 < bytes.size() && (static_cast<unsigned char>(bytes[i + 1]) & 0xE0) == 0x80;
    if (c1) {
      AppendHexEscape(byte, &out);
      AppendHexEscape(static_cast<unsigned char>(bytes[++i]), &out);
    } else if (byte < 0x20 || byte == 0x7f) {
      AppendHexEscape(byte, &out);
    } else {
      out.push_back(bytes[i]);
    }
  }
  return out;
}

}  // namespace talvorix
