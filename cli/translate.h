#pragma once
// The command-line programs' own messages in the user's language. Each message is
// written in English in the code, marked by Translate(), and looked up in the
// Hungarian catalog (po/hu.po): on Linux through gettext and the installed .mo, chosen
// by the locale (LANGUAGE, LC_ALL, LC_MESSAGES, LANG); on Windows in the same catalog
// compiled into the program, chosen by the user's display language. Riddles, answers
// and the report's notices are never translated: they are the game's own text.

#include <initializer_list>
#include <string>
#include <string_view>

namespace talvorix {

/// Chooses the catalog once, before the first message; call it first thing in main.
void StartTranslation();

/// The message with English id `id` in the user's language; `id` itself when the
/// catalog has no translation or the language is not Hungarian. The result lives as
/// long as the program.
const char* Translate(const char* id);

/// Marks a message for the catalog where it is defined; Translate() looks it up later.
constexpr const char* MarkForTranslation(const char* id) { return id; }

/// `pattern` with each "%s" replaced by the next of `values`, in order ("%%" is a
/// percent sign). A "%s" without a value is left out.
std::string Format(std::string_view pattern, std::initializer_list<std::string_view> values);

}  // namespace talvorix
