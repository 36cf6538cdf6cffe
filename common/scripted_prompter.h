#pragma once
// A Prompter for tests: records every message shown and answers from a queue. An OK-only
// message needs no scripted answer; a question with an empty queue is a test fault and
// throws, so an unexpected question never passes silently.

#include <deque>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/prompter.h"

namespace tf::common {

class ScriptedPrompter : public Prompter {
 public:
  ScriptedPrompter() = default;
  ScriptedPrompter(std::initializer_list<PromptAnswer> answers) : answers_(answers) {}

  void Answer(PromptAnswer answer) { answers_.push_back(answer); }

  PromptAnswer Show(const PromptMessage& message) override {
    shown_.push_back(message);
    if (message.buttons == PromptButtons::OK) {
      // A scripted OK may stand in the queue for it; nothing else is consumed.
      if (!answers_.empty() && answers_.front() == PromptAnswer::OK) answers_.pop_front();
      return PromptAnswer::OK;
    }
    if (answers_.empty()) throw std::logic_error("unscripted question: " + message.text);
    PromptAnswer a = answers_.front();
    answers_.pop_front();
    return a;
  }

  const std::vector<PromptMessage>& Shown() const { return shown_; }
  // The texts shown, in order: the usual thing a test compares.
  std::vector<std::string> Texts() const {
    std::vector<std::string> t;
    for (const auto& m : shown_) t.push_back(m.text);
    return t;
  }
  std::size_t Unanswered() const { return answers_.size(); }
  void Clear() { shown_.clear(); answers_.clear(); }

 private:
  std::deque<PromptAnswer> answers_;
  std::vector<PromptMessage> shown_;
};

}  // namespace tf::common
