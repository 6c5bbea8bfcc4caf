#pragma once
// Qt's own texts (the file and folder choosers, their buttons, the standard context
// menus) in the user's language, from the translations Qt installs (Debian:
// qt6-translations-l10n). The dialog's own texts are Hungarian and stay as they are.

#include <QLocale>
#include <QTranslator>

namespace talvorix {

class QtTranslations {
 public:
  QtTranslations() = default;
  ~QtTranslations();
  QtTranslations(const QtTranslations&) = delete;
  QtTranslations& operator=(const QtTranslations&) = delete;

  /// Installs qtbase's translation for `locale` (its UI languages in order, as
  /// QTranslator looks them up) from QLibraryInfo's TranslationsPath; false when none is
  /// found (English, or the translations are not installed), and then Qt speaks English.
  bool Load(const QLocale& locale);

 private:
  QTranslator translator_;
  bool installed_ = false;
};

}  // namespace talvorix
