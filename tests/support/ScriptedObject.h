#pragma once

// Base of every scripted platform object: a label for the call log, call interception through the
// rules, and references handed out so that their release is recorded.
//
// Every interface reference the double hands out (QueryInterface, creation, binding, enumeration) is a
// reference of its own: dropping it records "Release <Interface>" on the object's label. That makes the
// order in which the code under test lets go of its objects visible.

#include <algorithm>
#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/ScriptedCalls.h"
#include "camera/platform/Interfaces.h"

namespace tavelo::scripted {

// "BaseFilter", "VideoProcAmp", "StreamConfig", ...: the interface part of call names.
std::string IidName(platform::Iid iid);

// The label of a scripted object, "(foreign)" for an object of the code under test, "(null)" for none.
std::string LabelOf(const platform::Unknown* object);

class ScriptedObject {
 public:
  ScriptedObject(std::shared_ptr<CallRecorder> recorder, std::string label,
                 std::shared_ptr<std::atomic<bool>> gone = nullptr)
      : recorder_(std::move(recorder)), label_(std::move(label)), gone_(std::move(gone)) {}
  virtual ~ScriptedObject() = default;

  const std::string& Label() const { return label_; }
  const std::shared_ptr<CallRecorder>& Recorder() const { return recorder_; }

 protected:
  // What the rules (or an unplugged device) say about one call.
  struct Scripted {
    std::optional<platform::Result> answer;
    bool skipWork = false;
    // The call must answer `*answer` at once, without doing its work.
    bool Refused() const { return answer && (skipWork || platform::Failed(*answer)); }
    platform::Result Or(platform::Result natural) const { return answer.value_or(natural); }
  };

  // Records the call. A gone device answers kErrorNoDevice to everything but QueryInterface.
  Scripted Intercept(std::string name, std::optional<std::int32_t> id = {}, std::string detail = {}) const {
    const bool isQuery = name == "QueryInterface";
    const Verdict verdict = recorder_->Intercept(Call{label_, std::move(name), id, std::move(detail)});
    if (!isQuery && gone_ && gone_->load()) return {platform::kErrorNoDevice, true};
    return {verdict.answer, verdict.skipWork};
  }

  // `self` as interface I, as a reference of its own whose release is recorded.
  template <class I, class Self>
  std::shared_ptr<I> HandOut(Self* self) const {
    struct ReleaseNote {
      std::shared_ptr<platform::Unknown> keep;
      std::shared_ptr<CallRecorder> recorder;
      std::string label;
      std::string interfaceName;
      void operator()(I*) const { recorder->Record(Call{label, "Release", std::nullopt, interfaceName}); }
    };
    return std::shared_ptr<I>(static_cast<I*>(self),
                              ReleaseNote{self->shared_from_this(), recorder_, label_, IidName(I::kIid)});
  }

  // QueryInterface over the interfaces Is... of `self`, minus those listed in `lacks`.
  template <class... Is, class Self>
  platform::Result AnswerQuery(Self* self, platform::Iid iid, std::shared_ptr<void>& out,
                               const std::vector<platform::Iid>& lacks = {}) const {
    out.reset();
    const Scripted scripted = Intercept("QueryInterface", static_cast<std::int32_t>(iid), IidName(iid));
    if (scripted.Refused()) return *scripted.answer;
    if (iid == platform::Iid::Unknown) {
      out = self->shared_from_this();
      return scripted.Or(platform::kOk);
    }
    if (std::find(lacks.begin(), lacks.end(), iid) != lacks.end()) return platform::kNoInterface;
    bool found = false;
    (
        [&] {
          if (!found && iid == Is::kIid) {
            out = HandOut<Is>(self);
            found = true;
          }
        }(),
        ...);
    return found ? scripted.Or(platform::kOk) : platform::kNoInterface;
  }

  std::shared_ptr<CallRecorder> recorder_;
  std::string label_;
  std::shared_ptr<std::atomic<bool>> gone_;
};

}  // namespace tavelo::scripted
