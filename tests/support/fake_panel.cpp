#include "support/fake_panel.h"

namespace testing_support {

bool FakePanel::AskOkCancel(std::string_view text, std::string_view title) {
  boxes.push_back({std::string(text), std::string(title), panel::Icon::Question});
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

panel::FileChoice FakePanel::SaveFileDialog(std::string_view title, std::string_view filter,
                                            std::string_view offered) {
  dialogs.emplace_back(title);
  offered_names.emplace_back(offered);
  last_filter = filter;
  int chosen = 0;
  if (!filter_replies.empty()) {
    chosen = filter_replies.front();
    filter_replies.pop_front();
  }
  return {NextText(), chosen};
}

}  // namespace testing_support
