#include "platform/testdriver/AnswerScript.h"

#include <gtest/gtest.h>

#include "platform/CodePage.h"

namespace testdriver {

AnswerScript::AnswerScript() {
  mPrevious = platform::setBlockingHook([this](const platform::BlockingCall& call) { return take(call); });
  mPreviousRefusal = platform::setRefusalHook(
      [this](const platform::BlockingCall& call, const std::u16string& why) { refuse(call, why); });
}

AnswerScript::~AnswerScript() {
  platform::setRefusalHook(std::move(mPreviousRefusal));
  platform::setBlockingHook(std::move(mPrevious));
}

void AnswerScript::refuse(const platform::BlockingCall& call, const std::u16string& why) {
  mRefused.push_back(Refusal{call, why});
  std::u16string args;
  for (const auto& a : call.args) args += (args.empty() ? u"" : u", ") + a;
  ADD_FAILURE() << "scripted answer refused by " << wideToUtf8(call.kind) << "(" << wideToUtf8(args)
                << "): " << wideToUtf8(why);
}

void AnswerScript::answer(const std::u16string& kind, LONG_PTR value, std::vector<std::u16string> texts) {
  mAnswers[kind].push_back(Entry{platform::BlockingAnswer{value, std::move(texts)}, {}});
}

void AnswerScript::actFirst(const std::u16string& kind, std::function<void()> input) {
  mAnswers[kind].push_back(Entry{platform::BlockingAnswer{0, {}, true}, std::move(input)});
}

std::optional<platform::BlockingAnswer> AnswerScript::take(const platform::BlockingCall& call) {
  auto& queue = mAnswers[call.kind];
  if (!queue.empty() && queue.front().act) {
    std::function<void()> act = std::move(queue.front().act);
    platform::BlockingAnswer later = queue.front().answer;
    queue.pop_front();
    act();
    return later;
  }
  mCalls.push_back(Record{call, !queue.empty()});
  if (queue.empty()) return std::nullopt;
  platform::BlockingAnswer a = std::move(queue.front().answer);
  queue.pop_front();
  return a;
}

size_t AnswerScript::unanswered() const {
  size_t n = 0;
  for (const Record& r : mCalls) n += r.answered ? 0 : 1;
  return n;
}

size_t AnswerScript::callsOf(const std::u16string& kind) const {
  size_t n = 0;
  for (const Record& r : mCalls) n += r.call.kind == kind;
  return n;
}

const platform::BlockingCall* AnswerScript::lastCall(const std::u16string& kind) const {
  const platform::BlockingCall* found = nullptr;
  for (const Record& r : mCalls)
    if (r.call.kind == kind) found = &r.call;
  return found;
}

size_t AnswerScript::pending(const std::u16string& kind) const {
  auto it = mAnswers.find(kind);
  return it == mAnswers.end() ? 0 : it->second.size();
}

}  // namespace testdriver
