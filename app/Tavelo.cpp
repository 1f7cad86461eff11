#include "app/Tavelo.h"

#include <QTimer>

#include <iostream>

#include "app/CommandLine.h"
#include "app/CommandLineOptions.h"
#include "app/ErrorReport.h"
#include "ui/Fonts.h"
#include "ui/LiveCam.h"
#include "ui/MessageUnit.h"
#include "app/Unit1.h"
#include "camera/platform/PlatformChoice.h"
#include "camera/platform/v4l2/DeviceHotplug.h"

int TaveloMain(int argc, char** argv) {
  // Decided before any window object exists: the command line must run where there is no display.
  if (argc > 1 && IsCommandLine({QString::fromLocal8Bit(argv[1])})) return CommandLineMain(argc, argv);

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
#ifdef __linux__
  if (choice.platform->Name() == "v4l2") FormMain.SetDeviceHotplug(tavelo::platform::v4l2::OpenDeviceHotplug());
#endif
  TMessageForm MessageForm;
  TLivecamForm LivecamForm;
  FormMain.SetMessageForm(&MessageForm);
  FormMain.SetLivecamForm(&LivecamForm);

  FormMain.show();
  return application.exec();
}
