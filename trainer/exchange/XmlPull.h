#pragma once
// A pull reader of XML text for lists of any size: it walks the text once and hands out start
// tags, end tags and text pieces, holding nothing but the names of the open elements, so that
// reading a file needs no memory in proportion to it. It checks what makes XML well formed
// (tags, nesting, comments, CDATA, declarations, one root) and reports a problem with its line
// and column in German. The encoding of the declaration is reported; texts are decoded by
// XmlDecode.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

enum class XmlEncoding { Utf8, Windows1252, Latin9 };

class XmlPull {
 public:
  enum class Item { Start, End, Text, Done };

  explicit XmlPull(std::string_view text);

  // Moves to the next item; false with Error() when the text is no well-formed XML there.
  // A tag written "<a/>" gives Start and then End.
  bool Next();
  Item Current() const { return item_; }
  std::string_view Name() const { return name_; }  // of Start and End
  std::string_view Text() const { return text_; }  // of Text: raw, as in the file
  bool IsCdata() const { return cdata_; }          // Text from a CDATA section (nothing to decode)
  // The raw value of an attribute of the current start tag; empty when it has none.
  std::string_view Attribute(std::string_view name) const;
  // Open elements, the current start tag's included; the name of one of them (0 is the root).
  std::size_t Depth() const { return open_.size(); }
  std::string_view Open(std::size_t level) const { return open_[level]; }
  std::string_view Parent() const { return open_.size() >= 2 ? open_[open_.size() - 2] : std::string_view(); }

  XmlEncoding Encoding() const { return encoding_; }
  std::size_t LineOfItem() { return LineAt(itemStart_); }
  const std::string& Error() const { return error_; }

 private:
  bool Fail(std::size_t at, std::string_view problem);
  bool Prolog();
  bool Markup();
  bool StartTag();
  bool EndTag();
  bool Skip(std::string_view close, std::size_t from, std::string_view problem);
  bool Doctype();
  bool Declaration();
  std::size_t NameEnd(std::size_t at) const;
  void SkipBlanks();
  std::size_t LineAt(std::size_t offset);

  std::string_view s_;
  std::size_t pos_ = 0;
  std::size_t itemStart_ = 0;
  Item item_ = Item::Done;
  std::string_view name_, text_;
  bool cdata_ = false;
  bool pendingEnd_ = false;
  bool rootDone_ = false;
  bool started_ = false;
  std::vector<std::string_view> open_;
  std::vector<std::pair<std::string_view, std::string_view>> attributes_;
  XmlEncoding encoding_ = XmlEncoding::Utf8;
  std::string error_;
  std::size_t lineScanned_ = 0, lines_ = 1, lineStart_ = 0;
};

// The text of an item (entity and character references decoded, CR LF as LF, the bytes of the
// encoding as UTF-8) appended to out. An unknown entity stays as written.
void XmlDecode(std::string_view raw, bool cdata, XmlEncoding encoding, std::string& out);
