#pragma once

// A process table a test writes: who this process is and what else runs. Tests may change `others`
// between the guard's two looks; `looks` counts how often the list was read.

#include <memory>
#include <utility>
#include <vector>

#include "single_instance/ProcessTable.h"

namespace tavelo::scripted {

class ScriptedProcessTable final : public single_instance::ProcessTable {
 public:
  explicit ScriptedProcessTable(single_instance::ProcessEntry self,
                                std::vector<single_instance::ProcessEntry> others = {})
      : self(std::move(self)), others(std::move(others)) {}

  single_instance::ProcessEntry Self() const override { return self; }
  std::vector<single_instance::ProcessEntry> Processes() const override {
    ++looks;
    std::vector<single_instance::ProcessEntry> all = others;
    all.push_back(self);
    return all;
  }

  single_instance::ProcessEntry self;
  std::vector<single_instance::ProcessEntry> others;
  mutable int looks = 0;
};

}  // namespace tavelo::scripted
