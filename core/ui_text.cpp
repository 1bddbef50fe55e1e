#include "core/ui_text.h"

#include <QCoreApplication>

std::string Tr(const char* context, const char* source) {
  return QCoreApplication::translate(context, source).toStdString();
}
