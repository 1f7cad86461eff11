#include "tests/support/ScriptedCalls.h"

namespace tavelo::scripted {

std::string Call::Text() const {
  std::string text = name;
  if (id) text += "(" + std::to_string(*id) + ")";
  if (!detail.empty()) text += " " + detail;
  return text;
}

bool Rule::Matches(const Call& call) const {
  if (call.name != name) return false;
  if (object && call.object != *object) return false;
  if (id && call.id != id) return false;
  if (detail && call.detail.find(*detail) == std::string::npos) return false;
  return true;
}

Verdict CallRecorder::Intercept(Call call) {
  std::function<void(const Call&)> action;
  Verdict verdict;
  {
    std::lock_guard lock(mutex_);
    calls_.push_back(call);
    for (auto it = rules_.rbegin(); it != rules_.rend(); ++it) {
      Rule& rule = **it;
      if (!rule.Live() || !rule.Matches(call)) continue;
      if (rule.remaining > 0) --rule.remaining;
      action = rule.action;
      verdict.answer = rule.answer;
      verdict.skipWork = rule.skipWork && rule.answer.has_value();
      break;
    }
  }
  if (action) action(call);
  return verdict;
}

void CallRecorder::Record(Call call) {
  std::lock_guard lock(mutex_);
  calls_.push_back(std::move(call));
}

std::shared_ptr<Rule> CallRecorder::AddRule(std::string name) {
  auto rule = std::make_shared<Rule>();
  rule->name = std::move(name);
  std::lock_guard lock(mutex_);
  rules_.push_back(rule);
  return rule;
}

void CallRecorder::EditRule(const std::shared_ptr<Rule>& rule, const std::function<void(Rule&)>& edit) {
  std::lock_guard lock(mutex_);
  edit(*rule);
}

std::vector<Call> CallRecorder::Calls() const {
  std::lock_guard lock(mutex_);
  return calls_;
}

void CallRecorder::Clear() {
  std::lock_guard lock(mutex_);
  calls_.clear();
}

RuleBuilder& RuleBuilder::On(std::string object) {
  recorder_->EditRule(rule_, [&](Rule& rule) { rule.object = std::move(object); });
  return *this;
}

RuleBuilder& RuleBuilder::Id(std::int32_t id) {
  recorder_->EditRule(rule_, [&](Rule& rule) { rule.id = id; });
  return *this;
}

RuleBuilder& RuleBuilder::Detail(std::string text) {
  recorder_->EditRule(rule_, [&](Rule& rule) { rule.detail = std::move(text); });
  return *this;
}

RuleBuilder& RuleBuilder::Times(int count) {
  recorder_->EditRule(rule_, [&](Rule& rule) { rule.remaining = count; });
  return *this;
}

RuleBuilder& RuleBuilder::Answer(Result result) {
  recorder_->EditRule(rule_, [&](Rule& rule) { rule.answer = result; });
  return *this;
}

RuleBuilder& RuleBuilder::AnswerOnly(Result result) {
  recorder_->EditRule(rule_, [&](Rule& rule) {
    rule.answer = result;
    rule.skipWork = true;
  });
  return *this;
}

RuleBuilder& RuleBuilder::Do(std::function<void(const Call&)> action) {
  recorder_->EditRule(rule_, [&](Rule& rule) { rule.action = std::move(action); });
  return *this;
}

}  // namespace tavelo::scripted
