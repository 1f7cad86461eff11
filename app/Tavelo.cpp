#include "app/Tavelo.h"

#include <QTimer>

#include <iostream>

#include "app/ErrorReport.h"
#include "ui/Fonts.h"
#include "ui/LiveCam.h"
#include "ui/MessageUnit.h"
#include "app/Unit1.h"
#include "camera/platform/PlatformChoice.h"

int TaveloMain(int argc, char** argv) {
  TApplication application(argc, argv);
  InstallFontSubstitutions();

  const tavelo::platform::CapturePlatformChoice choice = tavelo::platform::ChooseCapturePlatformFromEnvironment();
  if (!choice.platform) {
    std::cerr << choice.error << '\n';
    return 2;
  }
  if (!choice.notice.empty()) std::cerr << choice.notice << '\n';

  QStringList arguments = application.arguments();
  if (!arguments.isEmpty()) arguments.removeFirst();  // the program itself

  // The three windows, created in this order; the main window's start-up runs before the other two exist.
  TFormMain FormMain(choice.platform, arguments);
  TMessageForm MessageForm;
  TLivecamForm LivecamForm;
  FormMain.SetMessageForm(&MessageForm);
  FormMain.SetLivecamForm(&LivecamForm);

  FormMain.show();
  return application.exec();
}
