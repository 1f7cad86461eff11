#pragma once

// Shared set-up of the camera component tests: a scripted platform, a camera on it, and helpers that
// turn an expected exception into its message.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "camera/FCamera.h"
#include "tests/support/ScriptedPlatform.h"

namespace tavelo::camera_tests {

using namespace tavelo::platform;
using namespace tavelo::scripted;

// The message of the exception of type E that `action` raises; a marker text when it raises nothing.
template <class E>
std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const E& error) {
    return error.Message().toStdString();
  }
  return "<nothing raised>";
}

inline std::string CameraError(const std::function<void()>& action) { return MessageOf<EFCameraError>(action); }

// The platform error `action` raises (message and code); code 0 when it raises none.
struct PlatformError {
  std::string message;
  std::int32_t code = 0;
};
inline PlatformError PlatformErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const EOleSysError& error) {
    return {error.Message().toStdString(), error.ErrorCode()};
  }
  return {"<nothing raised>", 0};
}

// Window services for a camera owned by `form` with no preview control: the owner is the only form, so
// the renderer layout clips to it.
inline TFCamera::PreviewWindowServices OwnerFormServices(const QObject* form, WindowHandle handle) {
  TFCamera::PreviewWindowServices services;
  services.isForm = [form](QObject* object) { return object == form; };
  services.rootForm = [](QObject*) -> QObject* { return nullptr; };
  services.nativeHandle = [handle](QObject*) { return handle; };
  services.mapToForm = [](QObject*, QObject*, double&, double&, double&, double&) {};
  return services;
}

class CameraFixture : public ::testing::Test {
 protected:
  // A camera selected on "Cam A", a typical webcam.
  void SelectCamA() {
    camA = platform->AddDevice(CameraSetup("Cam A"));
    camera->SetDeviceName("Cam A");
  }

  // Hands the camera a frame handler that records what it receives.
  void SetRecordingHandler() {
    camera->SetOnImageAvailable({[this](TFCamera* sender, double time) {
                                   lastSender = sender;
                                   lastSampleTime = time;
                                   ++notifications;
                                 },
                                 this});
  }

  std::shared_ptr<ScriptedPlatform> platform = std::make_shared<ScriptedPlatform>();
  std::unique_ptr<TFCamera> camera = std::make_unique<TFCamera>(nullptr, platform);
  std::shared_ptr<ScriptedDevice> camA;

  std::atomic<TFCamera*> lastSender{nullptr};
  std::atomic<double> lastSampleTime{0};
  std::atomic<int> notifications{0};
};

}  // namespace tavelo::camera_tests
