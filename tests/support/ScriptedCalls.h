#pragma once

// The call log and the rules of the scripted capture platform (see ScriptedPlatform.h).
//
// Every call a scripted object receives is recorded as a Call, in order, from any thread. A rule picks
// calls by name (and optionally object, id and detail) and makes them answer a chosen result and/or
// run an action first.

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "camera/platform/Result.h"

namespace tavelo::scripted {

using platform::Result;

struct Call {
  std::string object;              // label of the object called: "Platform", "Cam A", "Cam A/Capture", "FilterGraph"
  std::string name;                // "Interface.Method", e.g. "VideoProcAmp.Get"; "QueryInterface"; "Release"
  std::optional<std::int32_t> id;  // property id, interface id, flags: whatever identifies the call
  std::string detail;              // free text: a filter's name, a value name, a rendered connection

  // "VideoProcAmp.Get(0)", "GraphBuilder.AddFilter Video capture", "Release BaseFilter".
  std::string Text() const;
};

struct Rule {
  std::string name;
  std::optional<std::string> object;
  std::optional<std::int32_t> id;
  std::optional<std::string> detail;  // matched as a substring of the call's detail
  int remaining = -1;                 // calls still to apply to; -1 for all
  std::optional<Result> answer;
  bool skipWork = false;  // answer without doing the call's work, even for a success code
  std::function<void(const Call&)> action;

  bool Matches(const Call& call) const;
  bool Live() const { return remaining != 0 && (answer.has_value() || static_cast<bool>(action)); }
};

// What the rules say about one call.
struct Verdict {
  std::optional<Result> answer;
  bool skipWork = false;
};

class CallRecorder {
 public:
  // Records `call` and applies the newest live rule matching it: runs its action (without holding any
  // lock, so the action may block or call back) and returns its answer, if it has one.
  Verdict Intercept(Call call);
  void Record(Call call);

  std::shared_ptr<Rule> AddRule(std::string name);
  void EditRule(const std::shared_ptr<Rule>& rule, const std::function<void(Rule&)>& edit);

  std::vector<Call> Calls() const;
  void Clear();

  // Media-type records handed out and disposed of (their attached object released).
  std::atomic<int> mediaTypesHandedOut{0};
  std::atomic<int> mediaTypesDisposed{0};

 private:
  mutable std::mutex mutex_;
  std::vector<Call> calls_;
  std::vector<std::shared_ptr<Rule>> rules_;
};

// Fluent set-up of one rule: platform.When("VideoProcAmp.Set").Id(0).Answer(kInvalidArg).Times(1).
class RuleBuilder {
 public:
  RuleBuilder(std::shared_ptr<CallRecorder> recorder, std::shared_ptr<Rule> rule)
      : recorder_(std::move(recorder)), rule_(std::move(rule)) {}

  RuleBuilder& On(std::string object);
  RuleBuilder& Id(std::int32_t id);
  RuleBuilder& Detail(std::string text);
  // Applies to the next `count` matching calls only; afterwards older rules apply again.
  RuleBuilder& Times(int count);
  // A failure: the call does nothing and answers it. A success code: the call does its work and
  // answers the code instead of its own.
  RuleBuilder& Answer(Result result);
  // The call does nothing and answers `result`, success or not: out-parameters stay empty.
  RuleBuilder& AnswerOnly(Result result);
  // Runs on the calling thread before the call does its work.
  RuleBuilder& Do(std::function<void(const Call&)> action);

 private:
  std::shared_ptr<CallRecorder> recorder_;
  std::shared_ptr<Rule> rule_;
};

}  // namespace tavelo::scripted
