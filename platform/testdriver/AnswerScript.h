// Answers for the blocking calls a test reaches (message boxes, popup menus,
// file and folder dialogs): queued by kind, handed out in order, and every
// call recorded with its arguments. While an AnswerScript exists it is the
// layer's blocking-call hook.
#pragma once
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/user/Blocking.h"

namespace testdriver {

class AnswerScript {
 public:
  AnswerScript();
  ~AnswerScript();  // restores the hook that was there before
  AnswerScript(const AnswerScript&) = delete;
  AnswerScript& operator=(const AnswerScript&) = delete;

  // Queues the answer for the next call of `kind` (e.g. u"MessageBoxW").
  void answer(const std::u16string& kind, LONG_PTR value, std::vector<std::u16string> texts = {});
  // Queues an act before the next answer of `kind`: while that call waits, `input` is
  // run (it injects input or posts messages) and the call's modal loop delivers it
  // before it asks again. Only calls with a modal loop (MessageBoxW, DialogBox*) wait;
  // another call finds no answer. Each act is one wait, so a mouse action that reads the
  // cursor sees its own point.
  void actFirst(const std::u16string& kind, std::function<void()> input);

  struct Record {
    platform::BlockingCall call;
    bool answered = false;
  };
  const std::vector<Record>& calls() const { return mCalls; }                // one per call, acts aside
  size_t unanswered() const;                                                 // calls that found no answer queued
  size_t pending(const std::u16string& kind) const;                          // answers and acts not used yet
  size_t callsOf(const std::u16string& kind) const;                          // calls of that kind made so far
  const platform::BlockingCall* lastCall(const std::u16string& kind) const;  // null before the first

  // Answers a call refused because no user could give them (a press of a
  // disabled button): each is also reported as a failure of the running
  // test, naming the call and what was refused.
  struct Refusal {
    platform::BlockingCall call;
    std::u16string why;
  };
  const std::vector<Refusal>& refused() const { return mRefused; }

 private:
  std::optional<platform::BlockingAnswer> take(const platform::BlockingCall& call);
  void refuse(const platform::BlockingCall& call, const std::u16string& why);

  struct Entry {
    platform::BlockingAnswer answer;
    std::function<void()> act;  // set: an act run before the answers behind it
  };
  std::map<std::u16string, std::deque<Entry>> mAnswers;
  std::vector<Record> mCalls;
  std::vector<Refusal> mRefused;
  platform::BlockingHook mPrevious;
  platform::RefusalHook mPreviousRefusal;
};

}  // namespace testdriver
