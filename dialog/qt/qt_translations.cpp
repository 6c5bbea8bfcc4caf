#include "dialog/qt/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QString>

namespace talvorix {

QtTranslations::~QtTranslations() {
  if (installed_) QCoreApplication::removeTranslator(&translator_);
}

bool QtTranslations::Load(const QLocale& locale) {
  if (installed_) {
    QCoreApplication::removeTranslator(&translator_);
    installed_ = false;
  }
  if (!translator_.load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    return false;
  installed_ = QCoreApplication::installTranslator(&translator_);
  return installed_;
}

}  // namespace talvorix
