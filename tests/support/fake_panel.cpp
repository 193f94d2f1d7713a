#include "support/fake_panel.h"

namespace testing_support {

bool FakePanel::AskOkCancel(std::string_view text, std::string_view title) {
  boxes.push_back({std::string(text), std::string(title), platform::Icon::Question});
  if (ok_cancel_replies.empty()) return true;
  const bool ok = ok_cancel_replies.front();
  ok_cancel_replies.pop_front();
  return ok;
}

std::string FakePanel::NextText() {
  if (text_replies.empty()) return {};
  std::string reply = std::move(text_replies.front());
  text_replies.pop_front();
  return reply;
}

std::string FakePanel::InputBox(std::string_view, std::string_view title) {
  dialogs.emplace_back(title);
  return NextText();
}

std::string FakePanel::OpenFileDialog(std::string_view title, std::string_view) {
  dialogs.emplace_back(title);
  return NextText();
}

std::string FakePanel::SaveFileDialog(std::string_view title, std::string_view) {
  dialogs.emplace_back(title);
  return NextText();
}

}  // namespace testing_support
