// Translation through GNU gettext (glibc's libintl): the catalog is the installed
// share/locale/hu/LC_MESSAGES/talvorix.mo beside the program's bin/ folder.

#include <libintl.h>
#include <unistd.h>

#include <clocale>
#include <string>

#include "cli/translate.h"

namespace talvorix {
namespace {

constexpr const char* kDomain = "talvorix";

/// PREFIX/share/locale for a program at PREFIX/bin/NAME; the build tree has the same
/// shape (build/cli/talvorix-cli, build/share/locale). Empty when it cannot be told.
std::string LocaleFolder() {
  std::string self(4096, '\0');
  const ssize_t n = readlink("/proc/self/exe", self.data(), self.size());
  if (n <= 0 || static_cast<std::size_t>(n) >= self.size()) return {};
  self.resize(static_cast<std::size_t>(n));
  const std::size_t program = self.rfind('/');
  if (program == std::string::npos) return {};
  const std::size_t bin = self.rfind('/', program == 0 ? 0 : program - 1);
  if (bin == std::string::npos) return {};
  return self.substr(0, bin) + "/share/locale";
}

}  // namespace

void StartTranslation() {
  // Only the messages' language and the character set follow the locale (the system's
  // own messages, strerror's, come in the terminal's characters); no number or
  // character test of the programs depends on either.
  std::setlocale(LC_CTYPE, "");
  if (std::setlocale(LC_MESSAGES, "") == nullptr) return;
  // The catalog is UTF-8, and so is everything the programs print.
  const std::string folder = LocaleFolder();
  if (!folder.empty()) bindtextdomain(kDomain, folder.c_str());
  bind_textdomain_codeset(kDomain, "UTF-8");
}

const char* Translate(const char* id) { return dgettext(kDomain, id); }

}  // namespace talvorix
