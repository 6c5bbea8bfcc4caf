// Translation on Windows: the Hungarian catalog is compiled in (generated from
// po/hu.po at build time) and chosen by the user's display language.

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <iterator>

#include "cli/translate.h"

namespace talvorix {
namespace {

struct CatalogEntry {
  const char* id;
  const char* text;
};

// Sorted by id (byte order), written by po/po_to_table.py.
constexpr CatalogEntry kHungarian[] = {
#include "translations_hu.inc"
};

bool hungarian = false;

}  // namespace

void StartTranslation() { hungarian = PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_HUNGARIAN; }

const char* Translate(const char* id) {
  if (!hungarian) return id;
  const auto* found = std::lower_bound(std::begin(kHungarian), std::end(kHungarian), id,
                                       [](const CatalogEntry& e, const char* key) { return std::strcmp(e.id, key) < 0; });
  if (found == std::end(kHungarian) || std::strcmp(found->id, id) != 0) return id;
  return found->text;
}

}  // namespace talvorix
