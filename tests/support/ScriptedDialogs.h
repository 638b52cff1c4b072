#pragma once
// A Dialogs implementation for tests: answers come from queues filled by the test, and every
// request is recorded. A request without a queued answer is cancelled (and counted), so a
// test that forgot an answer fails on its assertions instead of hanging.

#include <deque>
#include <vector>

#include "Dialogs.h"

class ScriptedDialogs : public Dialogs {
 public:
  struct MessageCall {
    std::string title, text;
    MsgButtons buttons;
    MsgIcon icon;
  };

  std::deque<MsgResult> messageAnswers;
  std::deque<std::optional<FileChoice>> fileAnswers;
  std::deque<std::optional<Color>> colorAnswers;
  std::deque<std::optional<FontDesc>> fontAnswers;
  std::deque<std::optional<std::string>> inputAnswers;

  std::vector<MessageCall> messages;
  std::vector<FileDialogRequest> openRequests, saveRequests;
  int unanswered = 0;

  MsgResult Message(const std::string& title, const std::string& text, MsgButtons buttons,
                    MsgIcon icon) override;
  std::optional<FileChoice> OpenFile(const FileDialogRequest& request) override;
  std::optional<FileChoice> SaveFile(const FileDialogRequest& request) override;
  std::optional<Color> ChooseColor(Color initial) override;
  std::optional<FontDesc> ChooseFont(const FontDesc& initial, int maxSize) override;
  std::optional<std::string> InputBox(const std::string& title, const std::string& prompt,
                                      const std::string& initial) override;

 private:
  template <typename T>
  T Next(std::deque<T>& queue, T fallback) {
    if (queue.empty()) {
      ++unanswered;
      return fallback;
    }
    T answer = std::move(queue.front());
    queue.pop_front();
    return answer;
  }
};
