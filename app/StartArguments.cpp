#include "app/StartArguments.h"

TStartArguments TStartArguments::Parse(const QStringList& arguments) {
  TStartArguments parsed;
  for (const QString& argument : arguments) {
    if (argument == QStringLiteral("trace")) {
      parsed.Trace = true;
    } else if (argument == QStringLiteral("preview")) {
      parsed.Preview = true;
    } else {
      break;
    }
  }
  return parsed;
}
