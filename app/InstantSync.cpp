// Instant sync: what the keep-synchronised refresh finds at its next tick, shown as soon as it happens.
// A property changed outside this program is read into its row alone; a camera plugged in or pulled out
// rebuilds the camera list by the refresh's own fallback, so the list's selection rules are the same.
// Both arrive through socket notifiers, on the GUI thread, and write nothing to any camera.

#include <QApplication>
#include <QTimer>

#include <utility>

#include "app/Unit1.h"
#include "camera/CameraFailure.h"

using tavelo::platform::ChangedProperty;
using tavelo::platform::IControlEvents;
using tavelo::platform::Iid;

namespace {

// Rebuilding the list is put off while it must not happen; this often it is tried again.
constexpr int kPlugRetryMs = 1000;

bool IsProperty(const ChangedProperty& changed, const TFPropertyInfo& info) {
  const Iid wanted = info.Interface == TFPropertyInterface::VideoProcAmp ? Iid::AMVideoProcAmp : Iid::AMCameraControl;
  return changed.propertyInterface == wanted && changed.id == info.Id;
}

bool IsPowerLineFrequency(const ChangedProperty& changed) {
  return changed.propertyInterface == Iid::AMVideoProcAmp &&
         changed.id == tavelo::platform::VideoProcAmp_PowerLineFrequency;
}

}  // namespace

void TFormMain::SetDeviceHotplug(std::unique_ptr<tavelo::platform::v4l2::DeviceHotplug> hotplug) {
  FDeviceWatch.reset();
  if (!hotplug) return;
  FDeviceWatch = std::make_unique<TDeviceWatch>(std::move(hotplug), [this] { DevicesPluggedOrUnplugged(); });
}

void TFormMain::FollowSelectedCamera() {
  std::shared_ptr<IControlEvents> events;
  if (!FCamera->DeviceName().isEmpty()) {
    try {
      tavelo::platform::QueryInterfaceAs(FCamera->CaptureFilter(), events);
    } catch (...) {
      // A camera that cannot be bound reports nothing; the read that follows explains why.
      events.reset();
    }
  }
  FControlEventWatch.Follow(std::move(events));
}

void TFormMain::ShowOutsideChanges(const std::vector<ChangedProperty>& changed) {
  // Blank rows (a camera that cannot be used) stay blank, and a pass under way reads every row anyway.
  if (SupportLevel != 2 || SettingTrackBars) return;
  RunHandler([&] {
    // A camera that has gone meanwhile is the refresh's to find; nothing is said here.
    SwallowCameraError(QStringLiteral("Outside change"), [&] {
      for (const ChangedProperty& property : changed) {
        if (IsPowerLineFrequency(property)) {
          validatefrequency();  // selects the list's entry; only a click writes to the camera
          continue;
        }
        for (const TPropertyRow& row : FRows) {
          if (!IsProperty(property, PropertyInfo(row.Entry->Property))) continue;
          Trace(QStringLiteral("Changed outside: ") + row.Entry->Label());
          ReadRowQuietly(row);
        }
      }
    });
  });
}

void TFormMain::DevicesPluggedOrUnplugged() {
  // Rebuilding the list deactivates the camera, which would end a running test preview, and would
  // rebuild the controls under a command that waits in a modal window for the user's answer.
  if ((FLivecamForm && FLivecamForm->Tag() == 1) || QApplication::activeModalWidget()) {
    if (!std::exchange(FPlugRetryPending, true)) {
      QTimer::singleShot(kPlugRetryMs, this, [this] {
        FPlugRetryPending = false;
        DevicesPluggedOrUnplugged();
      });
    }
    return;
  }
  Trace(QStringLiteral("A camera was plugged in or pulled out"));
  RunHandler([this] {
    FormFocusChanged(this);
    RebuildCameraList();
    SetTheControl(LastFocussedControl);
  });
}
