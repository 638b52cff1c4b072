#pragma once
// The ini-style files of the freedesktop mechanisms (desktop entries, mimeapps.list,
// mimeinfo.cache), read and amended by one set of rules, those of desktop entries: a UTF-8
// byte-order mark at the start belongs to no line, blanks before and after a group header and
// around "=" do not count, lines starting with "#" are comments, CR LF ends a line like LF.
// Every reader and writer of these files goes through it, so what is written is what the next
// start reads.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace xdg {

class KeyFile {
 public:
  explicit KeyFile(std::string text) : text_(std::move(text)) {}

  // The value of key in the first group of that name that holds it, without its blanks.
  std::optional<std::string> Value(const std::string& group, const std::string& key) const;

  // Adds "key=value" as the first entry of the first group of that name; a missing group is
  // appended at the end. Every other byte stays as it was.
  void Add(const std::string& group, const std::string& key, const std::string& value);

  const std::string& Text() const { return text_; }

 private:
  std::string text_;
};

// The non-empty items of a list value "a;b;".
std::vector<std::string> ListItems(std::string_view value);

}  // namespace xdg
