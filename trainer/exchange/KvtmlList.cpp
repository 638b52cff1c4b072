#include "KvtmlList.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>
#include <unordered_map>

#include <pugixml.hpp>

#include "Win1252.h"
#include "vokdisk.h"

namespace {

// Lessons nested deeper than this are refused: no list of a trainer needs them, and the walk
// stays bounded for any file.
constexpr size_t kMaxLessonDepth = 64;

const char* ParseProblem(pugi::xml_parse_status status) {
  switch (status) {
    case pugi::status_unrecognized_tag: return "unbekanntes Tag";
    case pugi::status_bad_pi: return "fehlerhafte Verarbeitungsanweisung";
    case pugi::status_bad_comment: return "fehlerhafter Kommentar";
    case pugi::status_bad_cdata: return "fehlerhafter CDATA-Abschnitt";
    case pugi::status_bad_doctype: return "fehlerhafte Dokumenttyp-Angabe";
    case pugi::status_bad_pcdata: return "fehlerhafter Text";
    case pugi::status_bad_start_element: return "fehlerhaftes Anfangs-Tag";
    case pugi::status_bad_attribute: return "fehlerhaftes Attribut";
    case pugi::status_bad_end_element: return "fehlerhaftes End-Tag";
    case pugi::status_end_element_mismatch: return "End-Tag passt nicht zum Anfangs-Tag";
    case pugi::status_append_invalid_root:
    case pugi::status_no_document_element: return "kein Wurzelelement";
    case pugi::status_out_of_memory: return "zu wenig Speicher";
    default: return "nicht lesbar";
  }
}

// Line and column (from 1) of a byte offset.
class LineIndex {
 public:
  explicit LineIndex(std::string_view text) {
    for (size_t i = 0; i < text.size(); ++i)
      if (text[i] == '\n') breaks_.push_back(i);
  }
  size_t Line(std::ptrdiff_t offset) const {
    if (offset < 0) return 0;
    const auto at = std::lower_bound(breaks_.begin(), breaks_.end(), static_cast<size_t>(offset));
    return static_cast<size_t>(at - breaks_.begin()) + 1;
  }
  size_t Column(std::ptrdiff_t offset) const {
    const size_t line = Line(offset);
    const size_t start = line <= 1 ? 0 : breaks_[line - 2] + 1;
    return static_cast<size_t>(offset) - start + 1;
  }

 private:
  std::vector<size_t> breaks_;
};

std::string Trimmed(const char* text) {
  std::string s(text);
  const auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
  while (!s.empty() && blank(static_cast<unsigned char>(s.back()))) s.pop_back();
  size_t i = 0;
  while (i < s.size() && blank(static_cast<unsigned char>(s[i]))) ++i;
  return s.substr(i);
}

int GradeOf(pugi::xml_node translation) {
  for (pugi::xml_node grade : translation.children("grade")) {
    const pugi::xml_node current = grade.child("currentgrade");
    if (!current) continue;
    const std::string text = Trimmed(current.child_value());
    if (text.empty() || text.size() > 3 || !std::all_of(text.begin(), text.end(), ::isdigit)) continue;
    return std::atoi(text.c_str());
  }
  return -1;
}

void ReadEntries(pugi::xml_node entries, const LineIndex& lines, KvtmlFile& file,
                 std::unordered_map<std::string, size_t>& byId) {
  for (pugi::xml_node entry : entries.children("entry")) {
    KvtmlEntry e;
    e.id = entry.attribute("id").value();
    e.line = lines.Line(entry.offset_debug());
    for (pugi::xml_node t : entry.children("translation"))
      e.translations.push_back({t.attribute("id").value(), t.child("text").child_value(), GradeOf(t)});
    byId.emplace(e.id, file.entries.size());
    file.entries.push_back(std::move(e));
  }
}

// Gives each entry the first lesson that names it, walking the containers depth first with an
// explicit stack.
bool ReadLessons(pugi::xml_node lessons, KvtmlFile& file,
                 const std::unordered_map<std::string, size_t>& byId, const LineIndex& lines,
                 std::string& error) {
  struct Open {
    pugi::xml_node node;
    std::string path;
    size_t depth;
  };
  std::vector<Open> stack;
  for (pugi::xml_node c = lessons.last_child(); c; c = c.previous_sibling())
    if (std::string_view(c.name()) == "container") stack.push_back({c, "", 1});
  while (!stack.empty()) {
    Open open = std::move(stack.back());
    stack.pop_back();
    if (open.depth > kMaxLessonDepth) {
      error = LineMessage(lines.Line(open.node.offset_debug()), "Lektionen zu tief verschachtelt");
      return false;
    }
    const std::string name = Trimmed(open.node.child("name").child_value());
    const std::string path = open.path.empty() ? name : name.empty() ? open.path : open.path + " / " + name;
    for (pugi::xml_node e : open.node.children("entry")) {
      const auto found = byId.find(e.attribute("id").value());
      if (found != byId.end() && file.entries[found->second].lesson.empty())
        file.entries[found->second].lesson = path;
    }
    for (pugi::xml_node c = open.node.last_child(); c; c = c.previous_sibling())
      if (std::string_view(c.name()) == "container") stack.push_back({c, path, open.depth + 1});
  }
  return true;
}

bool LocaleIs(std::string_view locale, std::string_view language) {
  if (locale.size() < 2) return false;
  const std::string head{static_cast<char>(std::tolower(static_cast<unsigned char>(locale[0]))),
                         static_cast<char>(std::tolower(static_cast<unsigned char>(locale[1])))};
  return head == language && (locale.size() == 2 || locale[2] == '_' || locale[2] == '-');
}

const KvtmlTranslation* TranslationOf(const KvtmlEntry& entry, const std::string& id) {
  for (const KvtmlTranslation& t : entry.translations)
    if (t.identifier == id) return &t;
  return nullptr;
}

bool HasControl(const std::string& s) {
  return std::any_of(s.begin(), s.end(), [](char c) {
    const auto b = static_cast<unsigned char>(c);
    return b < 0x20 && b != '\t';
  });
}

}  // namespace

bool ReadKvtml(std::string_view text, KvtmlFile& file, std::string& error) {
  file = KvtmlFile{};
  if (const size_t nul = text.find('\0'); nul != std::string_view::npos) {
    error = LineMessage(LineIndex(text).Line(static_cast<std::ptrdiff_t>(nul)), "Nullzeichen in der Datei");
    return false;
  }
  // Each element becomes a node of the XML library, its text another one (some 96 bytes
  // together with their share of the tree), and then part of an entry; a file of tiny elements
  // would take many times its size, so their number keeps within the budget of one file read.
  constexpr size_t kElementCost = 96;
  size_t elements = 0;
  for (size_t at = text.find('<'); at != std::string_view::npos; at = text.find('<', at + 1))
    if (at + 1 < text.size() && text[at + 1] != '/') ++elements;
  if (elements > kVokReadBudget / kElementCost) {
    error = A("zu viele XML-Elemente für den Speicher");
    return false;
  }
  pugi::xml_document doc;
  const pugi::xml_parse_result parsed =
      doc.load_buffer(text.data(), text.size(), pugi::parse_default | pugi::parse_ws_pcdata_single,
                    pugi::encoding_utf8);
  const LineIndex lines(text);
  if (!parsed) {
    error = "XML-Fehler in Zeile " + std::to_string(lines.Line(parsed.offset)) + ", Spalte " +
            std::to_string(lines.Column(parsed.offset)) + ": " + A(ParseProblem(parsed.status));
    return false;
  }
  const pugi::xml_node root = doc.document_element();
  if (std::string_view(root.name()) != "kvtml") {
    error = A("keine KVTML-Datei: das Wurzelelement heißt nicht kvtml");
    return false;
  }
  const std::string version = root.attribute("version").value();
  if (version.rfind("2", 0) != 0) {
    error = "KVTML-Version " + win1252::FromUtf8(version) + " wird nicht gelesen, nur 2.0";
    return false;
  }
  for (pugi::xml_node id : root.child("identifiers").children("identifier"))
    file.identifiers.push_back({id.attribute("id").value(),
                                win1252::FromUtf8(Trimmed(id.child("name").child_value())),
                                Trimmed(id.child("locale").child_value())});
  std::unordered_map<std::string, size_t> byId;
  ReadEntries(root.child("entries"), lines, file, byId);
  return ReadLessons(root.child("lessons"), file, byId, lines, error);
}

std::optional<KvtmlPair> FindGermanFrench(const KvtmlFile& file) {
  KvtmlPair pair;
  for (const KvtmlIdentifier& id : file.identifiers) {
    if (pair.german.empty() && LocaleIs(id.locale, "de")) pair.german = id.id;
    if (pair.french.empty() && LocaleIs(id.locale, "fr")) pair.french = id.id;
  }
  if (pair.german.empty() || pair.french.empty()) return std::nullopt;
  return pair;
}

int BoxOfGrade(int grade) {
  if (grade >= 5) return 3;
  if (grade >= 3) return 2;
  return 1;
}

bool KvtmlRows(const KvtmlFile& file, const KvtmlPair& pair, std::vector<ExchangeRow>& rows,
               std::string& error) {
  rows.clear();
  rows.reserve(file.entries.size());
  std::string problem;
  const auto cell = [&](const KvtmlEntry& e, std::string_view utf8, std::string& out) {
    if (Utf8Cell(utf8, out, problem)) return true;
    error = LineMessage(e.line, "Eintrag " + win1252::FromUtf8(e.id) + ": " + problem);
    return false;
  };
  for (const KvtmlEntry& e : file.entries) {
    const KvtmlTranslation* de = TranslationOf(e, pair.german);
    const KvtmlTranslation* fr = TranslationOf(e, pair.french);
    ExchangeRow row;
    if (de && !cell(e, de->text, row.german)) return false;
    if (fr && !cell(e, fr->text, row.french)) return false;
    if (!cell(e, e.lesson, row.lesson)) return false;
    const int grade = fr && fr->grade >= 0 ? fr->grade : de ? de->grade : -1;
    row.box = BoxOfGrade(grade);
    rows.push_back(std::move(row));
  }
  return true;
}

namespace {

struct StringWriter : pugi::xml_writer {
  std::string out;
  void write(const void* data, size_t size) override {
    out.append(static_cast<const char*>(data), size);
  }
};

void Grade(pugi::xml_node translation, int box) {
  if (box < 2) return;
  pugi::xml_node grade = translation.append_child("grade");
  grade.append_attribute("fromid") = "0";
  const char* const value = box == 2 ? "3" : "5";
  grade.append_child("currentgrade").text() = value;
  grade.append_child("count").text() = value;
  grade.append_child("errorcount").text() = "0";
}

// Where a lesson path splits into its parent's path and its own name, or npos. A split is
// made only where the reader, which trims names and joins them with " / ", gives the same
// path back, and never deeper than the reader takes: a deeper rest stays one name.
size_t LessonCut(const std::string& path) {
  const auto blank = [&](size_t i) { return std::isspace(static_cast<unsigned char>(path[i])) != 0; };
  std::vector<size_t> cuts;  // from the last one backwards
  for (size_t end = path.size(); end >= 3;) {
    const size_t cut = path.rfind(" / ", end - 3);
    if (cut == std::string::npos || cut == 0 || cut + 3 >= end || blank(cut - 1) || blank(cut + 3)) break;
    cuts.push_back(cut);
    end = cut;
  }
  if (cuts.empty()) return std::string::npos;
  const size_t levels = cuts.size() + 1;
  const size_t tooDeep = levels > kMaxLessonDepth ? levels - kMaxLessonDepth : 0;
  return cuts[tooDeep];
}

// The container of a lesson, made with its parents on first use.
pugi::xml_node Container(pugi::xml_node lessons, std::map<std::string, pugi::xml_node>& made,
                         const std::string& path) {
  if (const auto found = made.find(path); found != made.end()) return found->second;
  const size_t cut = LessonCut(path);
  pugi::xml_node parent = lessons;
  std::string name = path;
  if (cut != std::string::npos) {
    parent = Container(lessons, made, path.substr(0, cut));
    name = path.substr(cut + 3);
  }
  // Sub-containers stand before the entries of their parent, as the format orders them.
  const pugi::xml_node firstEntry = parent.child("entry");
  pugi::xml_node c = firstEntry ? parent.insert_child_before("container", firstEntry)
                                : parent.append_child("container");
  c.append_child("name").text() = name.c_str();
  c.append_child("inpractice").text() = "true";
  made.emplace(path, c);
  return c;
}

}  // namespace

bool WriteKvtml(const std::vector<ExchangeRow>& rows, const std::string& title, std::string& text,
                std::string& error) {
  for (size_t i = 0; i < rows.size(); ++i)
    if (HasControl(rows[i].german) || HasControl(rows[i].french) || HasControl(rows[i].lesson)) {
      error = LineMessage(i + 1, "Steuerzeichen lassen sich in KVTML nicht schreiben");
      return false;
    }
  pugi::xml_document doc;
  pugi::xml_node decl = doc.append_child(pugi::node_declaration);
  decl.append_attribute("version") = "1.0";
  decl.append_attribute("encoding") = "UTF-8";
  pugi::xml_node root = doc.append_child("kvtml");
  root.append_attribute("version") = "2.0";
  pugi::xml_node info = root.append_child("information");
  info.append_child("generator").text() = "Tirelo V";
  info.append_child("title").text() = win1252::ToUtf8(title).c_str();
  pugi::xml_node ids = root.append_child("identifiers");
  const char* const names[] = {"Deutsch", "Franz\xC3\xB6sisch"};
  const char* const locales[] = {"de", "fr"};
  for (int i = 0; i < 2; ++i) {
    pugi::xml_node id = ids.append_child("identifier");
    id.append_attribute("id") = i;
    id.append_child("name").text() = names[i];
    id.append_child("locale").text() = locales[i];
  }
  pugi::xml_node entries = root.append_child("entries");
  pugi::xml_node lessons = root.append_child("lessons");
  std::map<std::string, pugi::xml_node> made;
  for (size_t i = 0; i < rows.size(); ++i) {
    const ExchangeRow& row = rows[i];
    const std::string id = std::to_string(i);
    pugi::xml_node entry = entries.append_child("entry");
    entry.append_attribute("id") = id.c_str();
    const std::string* const texts[] = {&row.german, &row.french};
    for (int k = 0; k < 2; ++k) {
      pugi::xml_node t = entry.append_child("translation");
      t.append_attribute("id") = k;
      t.append_child("text").text() = win1252::ToUtf8(*texts[k]).c_str();
      if (k == 1) Grade(t, row.box);
    }
    const std::string lesson = win1252::ToUtf8(row.lesson);
    if (lesson.find_first_not_of(' ') != std::string::npos)
      Container(lessons, made, lesson).append_child("entry").append_attribute("id") = id.c_str();
  }
  StringWriter writer;
  doc.save(writer, "  ", pugi::format_default, pugi::encoding_utf8);
  text = std::move(writer.out);
  return true;
}
