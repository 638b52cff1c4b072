#include "ScriptedDialogs.h"

MsgResult ScriptedDialogs::Message(const std::string& title, const std::string& text,
                                   MsgButtons buttons, MsgIcon icon) {
  messages.push_back({title, text, buttons, icon});
  const MsgResult fallback = buttons == MsgButtons::Ok ? MsgResult::Ok : MsgResult::Cancel;
  if (buttons == MsgButtons::Ok && messageAnswers.empty()) return MsgResult::Ok;
  return Next(messageAnswers, fallback);
}

std::optional<FileChoice> ScriptedDialogs::OpenFile(const FileDialogRequest& request) {
  openRequests.push_back(request);
  return Next<std::optional<FileChoice>>(fileAnswers, std::nullopt);
}

std::optional<FileChoice> ScriptedDialogs::SaveFile(const FileDialogRequest& request) {
  saveRequests.push_back(request);
  return Next<std::optional<FileChoice>>(fileAnswers, std::nullopt);
}

std::optional<Color> ScriptedDialogs::ChooseColor(Color) {
  return Next<std::optional<Color>>(colorAnswers, std::nullopt);
}

std::optional<FontDesc> ScriptedDialogs::ChooseFont(const FontDesc&, int) {
  return Next<std::optional<FontDesc>>(fontAnswers, std::nullopt);
}

std::optional<std::string> ScriptedDialogs::InputBox(const std::string&, const std::string&,
                                                     const std::string&) {
  return Next<std::optional<std::string>>(inputAnswers, std::nullopt);
}
