#include "KvtmlList.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <map>

#include <pugixml.hpp>

#include "VokText.h"
#include "Win1252.h"
#include "XmlPull.h"

namespace {

// Lessons nested deeper than this are refused: no list of a trainer needs them, and the walk
// stays bounded for any file.
constexpr size_t kMaxLessonDepth = 64;

std::string_view Trimmed(std::string_view s) {
  const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

// A name or locale of the file in Windows-1252; a character without a form becomes "?".
std::string Win1252Text(std::string_view utf8) {
  std::string out, note;
  FitUtf8Cell(Trimmed(utf8), out, note);
  return out;
}

std::string Decoded(const XmlPull& xml, std::string_view raw) {
  std::string out;
  XmlDecode(raw, false, xml.Encoding(), out);
  return out;
}

bool IsNamed(const XmlPull& xml, std::string_view name, std::string_view parent) {
  return xml.Name() == name && xml.Parent() == parent;
}

// The root must be <kvtml version="2...">.
bool CheckRoot(const XmlPull& xml, std::string& error) {
  if (xml.Name() != "kvtml") {
    error = A("keine KVTML-Datei: das Wurzelelement heißt nicht kvtml");
    return false;
  }
  const std::string version = Decoded(xml, xml.Attribute("version"));
  if (version.rfind("2", 0) != 0) {
    error = "KVTML-Version " + win1252::FromUtf8(version) + " wird nicht gelesen, nur 2.0";
    return false;
  }
  return true;
}

bool TooDeep(XmlPull& xml, size_t containers, std::string& error) {
  if (containers <= kMaxLessonDepth) return false;
  error = LineMessage(xml.LineOfItem(), "Lektionen zu tief verschachtelt");
  return true;
}

bool HasNul(std::string_view text, std::string& error) {
  const size_t nul = text.find('\0');
  if (nul == std::string_view::npos) return false;
  const auto line =
      static_cast<size_t>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(nul), '\n')) +
      1;
  error = LineMessage(line, "Nullzeichen in der Datei");
  return true;
}

bool LocaleIs(std::string_view locale, std::string_view language) {
  if (locale.size() < 2) return false;
  const std::string head{static_cast<char>(std::tolower(static_cast<unsigned char>(locale[0]))),
                         static_cast<char>(std::tolower(static_cast<unsigned char>(locale[1])))};
  return head == language && (locale.size() == 2 || locale[2] == '_' || locale[2] == '-');
}

bool NameIs(const std::string& name, std::initializer_list<const char*> names) {
  const std::string upper = win1252::Upper(Trimmed(name));
  for (const char* n : names)
    if (upper == win1252::Upper(A(n))) return true;
  return false;
}

std::optional<size_t> FindLanguage(const KvtmlFile& file, std::string_view language,
                                   std::initializer_list<const char*> names) {
  for (size_t i = 0; i < file.identifiers.size(); ++i)
    if (LocaleIs(file.identifiers[i].locale, language)) return i;
  for (size_t i = 0; i < file.identifiers.size(); ++i)
    if (NameIs(file.identifiers[i].name, names)) return i;
  return std::nullopt;
}

std::string LowerAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// One identifier the learner named: its id, its locale (or the language of it) or its name.
std::optional<size_t> NamedIdentifier(const KvtmlFile& file, std::string_view text) {
  text = Trimmed(text);
  const std::string lower = LowerAscii(text);
  const auto& ids = file.identifiers;
  for (size_t i = 0; i < ids.size(); ++i)
    if (ids[i].id == text) return i;
  for (size_t i = 0; i < ids.size(); ++i)
    if (LowerAscii(ids[i].locale) == lower || (lower.size() == 2 && LocaleIs(ids[i].locale, lower))) return i;
  for (size_t i = 0; i < ids.size(); ++i)
    if (win1252::Upper(Trimmed(ids[i].name)) == win1252::Upper(text)) return i;
  return std::nullopt;
}

std::string Described(const KvtmlIdentifier& id) {
  std::string text = id.name.empty() ? id.id : id.name;
  if (!id.locale.empty()) text += " (" + id.locale + ")";
  return text;
}

}  // namespace

bool ReadKvtml(std::string_view text, KvtmlFile& file, std::string& error) {
  file = KvtmlFile{};
  if (HasNul(text, error)) return false;
  XmlPull xml(text);
  std::string buffer;
  bool collecting = false;
  size_t containers = 0;
  while (xml.Next()) {
    switch (xml.Current()) {
      case XmlPull::Item::Done:
        return true;
      case XmlPull::Item::Start:
        if (xml.Depth() == 1 && !CheckRoot(xml, error)) return false;
        if (xml.Depth() == 3 && IsNamed(xml, "identifier", "identifiers"))
          file.identifiers.push_back({Decoded(xml, xml.Attribute("id")), "", ""});
        if (xml.Depth() == 4 && xml.Open(1) == "identifiers" && xml.Open(2) == "identifier" &&
            (xml.Name() == "name" || xml.Name() == "locale")) {
          collecting = true;
          buffer.clear();
        }
        if (xml.Depth() == 3 && IsNamed(xml, "entry", "entries")) ++file.entries;
        if (xml.Name() == "container" && TooDeep(xml, ++containers, error)) return false;
        break;
      case XmlPull::Item::Text:
        if (collecting) XmlDecode(xml.Text(), xml.IsCdata(), xml.Encoding(), buffer);
        break;
      case XmlPull::Item::End:
        if (collecting && xml.Depth() == 3) {
          KvtmlIdentifier& id = file.identifiers.back();
          (xml.Name() == "name" ? id.name : id.locale) = Win1252Text(buffer);
          collecting = false;
        }
        if (xml.Name() == "container") --containers;
        break;
    }
  }
  error = xml.Error();
  return false;
}

KvtmlFound FindLanguages(const KvtmlFile& file) {
  KvtmlFound found;
  found.german = FindLanguage(file, "de", {"Deutsch", "German", "Allemand"});
  found.french = FindLanguage(file, "fr", {"Französisch", "Franzoesisch", "French", "Français", "Francais"});
  if (found.german && found.german == found.french) found.german.reset();
  return found;
}

std::optional<KvtmlPair> FindGermanFrench(const KvtmlFile& file) {
  const KvtmlFound found = FindLanguages(file);
  const auto& ids = file.identifiers;
  if (found.german && found.french) return KvtmlPair{ids[*found.german].id, ids[*found.french].id};
  if (ids.size() == 1) return found.german ? KvtmlPair{ids[0].id, ""} : KvtmlPair{"", ids[0].id};
  return std::nullopt;
}

bool PairFromText(const KvtmlFile& file, std::string_view text, KvtmlPair& pair, std::string& error) {
  const size_t comma = text.find(',');
  const std::string_view parts[] = {
      text.substr(0, comma), comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1)};
  std::string* const slots[] = {&pair.french, &pair.german};
  pair = KvtmlPair{};
  for (int k = 0; k < 2; ++k) {
    const std::string_view part = Trimmed(parts[k]);
    if (k == 1 && (part.empty() || part == "-")) break;
    const std::optional<size_t> at = NamedIdentifier(file, part);
    if (!at) {
      error = "Sprache \x84" + std::string(part) +
              "\x93 nicht in der Datei; sie enth\xE4lt: " + LanguagesText(file);
      return false;
    }
    *slots[k] = file.identifiers[*at].id;
  }
  return true;
}

std::string LanguagesText(const KvtmlFile& file) {
  std::string text;
  for (const KvtmlIdentifier& id : file.identifiers) {
    if (!text.empty()) text += ", ";
    text += id.id + " " + (id.name.empty() ? "ohne Namen" : id.name);
    if (!id.locale.empty()) text += " (" + id.locale + ")";
  }
  return text.empty() ? A("keine Sprachen") : text;
}

std::vector<std::string> LanguageNotes(const KvtmlFile& file, const KvtmlPair& pair) {
  std::vector<std::string> notes;
  const auto& ids = file.identifiers;
  if (ids.size() == 1 && (pair.german.empty() || pair.french.empty())) {
    notes.push_back(A("Die Liste hat nur eine Sprache, ") + Described(ids[0]) +
                    A("; sie steht in der Spalte ") + (pair.french.empty() ? "Deutsch" : A("Französisch")) +
                    ", die andere bleibt leer.");
  } else if (pair.german.empty() || pair.french.empty()) {
    notes.push_back("Die Spalte " + (pair.german.empty() ? std::string("Deutsch") : A("Französisch")) +
                    " bleibt leer.");
  }
  std::string others;
  for (const KvtmlIdentifier& id : ids)
    if (id.id != pair.german && id.id != pair.french) others += (others.empty() ? "" : ", ") + Described(id);
  if (!others.empty()) notes.push_back(A("Nicht übernommen: ") + others + ".");
  return notes;
}

int BoxOfGrade(int grade) {
  if (grade >= 5) return 3;
  if (grade >= 3) return 2;
  return 1;
}

namespace {

// One entry while it is read: the texts and grades of the two chosen translations.
struct OpenEntry {
  struct Grade {
    bool onFrench = false;
    std::string from;
    int value = -1;
  };
  std::string id;
  size_t line = 0;
  std::string german, french;  // UTF-8
  std::vector<Grade> grades;
  bool inGerman = false, inFrench = false, inText = false, inGrade = false;
  std::string gradeText;

  void Clear() {
    german.clear();
    french.clear();
    grades.clear();
    inGerman = inFrench = inText = inGrade = false;
  }
};

int ChosenGrade(const OpenEntry& e, const KvtmlPair& pair) {
  for (const auto& g : e.grades)
    if (g.onFrench && !pair.german.empty() && g.from == pair.german) return g.value;
  for (const auto& g : e.grades)
    if (!g.onFrench && !pair.french.empty() && g.from == pair.french) return g.value;
  int lowest = -1;
  for (const auto& g : e.grades)
    if (lowest < 0 || g.value < lowest) lowest = g.value;
  return lowest;
}

int GradeValue(std::string_view text) {
  text = Trimmed(text);
  if (text.empty() || text.size() > 3 || !std::all_of(text.begin(), text.end(), ::isdigit)) return -1;
  return std::stoi(std::string(text));
}

// A container while it is read: the lesson path (UTF-8) and its Windows-1252 form.
struct OpenContainer {
  std::string path;
  std::string lesson;
  bool fits = true;
  std::string note;
};

class RowReader {
 public:
  RowReader(std::string_view text, const KvtmlPair& pair, std::vector<ExchangeRow>& rows,
            ImportSummary& summary, const KvtmlLimits& limits)
      : xml_(text), pair_(pair), rows_(rows), summary_(summary), limits_(limits), left_(limits.budget) {}

  bool Run(std::string& error) {
    while (xml_.Next()) {
      bool ok = true;
      switch (xml_.Current()) {
        case XmlPull::Item::Done:
          Finish();
          return true;
        case XmlPull::Item::Start:
          ok = Start(error);
          break;
        case XmlPull::Item::Text:
          Text();
          break;
        case XmlPull::Item::End:
          ok = End(error);
          break;
      }
      if (!ok) return false;
      if (rows_.size() >= limits_.rows) return true;
    }
    error = xml_.Error();
    return false;
  }

 private:
  bool Start(std::string& error) {
    if (xml_.Depth() == 1) return CheckRoot(xml_, error);
    const std::string_view name = xml_.Name();
    if (xml_.Depth() == 3 && IsNamed(xml_, "entry", "entries")) {
      entry_.Clear();
      entry_.id = Decoded(xml_, xml_.Attribute("id"));
      entry_.line = xml_.LineOfItem();
      inEntry_ = true;
    } else if (inEntry_ && IsNamed(xml_, "translation", "entry")) {
      const std::string id = Decoded(xml_, xml_.Attribute("id"));
      entry_.inGerman = !pair_.german.empty() && id == pair_.german;
      entry_.inFrench = !pair_.french.empty() && id == pair_.french;
    } else if (inEntry_ && IsNamed(xml_, "text", "translation")) {
      entry_.inText = true;
    } else if (inEntry_ && IsNamed(xml_, "grade", "translation")) {
      entry_.grades.push_back({entry_.inFrench, Decoded(xml_, xml_.Attribute("fromid")), -1});
    } else if (inEntry_ && IsNamed(xml_, "currentgrade", "grade")) {
      entry_.inGrade = true;
      entry_.gradeText.clear();
    } else if (name == "container") {
      if (TooDeep(xml_, containers_.size() + 1, error)) return false;
      containers_.push_back(containers_.empty() ? OpenContainer{} : containers_.back());
    } else if (!containers_.empty() && IsNamed(xml_, "name", "container")) {
      inName_ = true;
      nameText_.clear();
    } else if (!containers_.empty() && IsNamed(xml_, "entry", "container")) {
      GiveLesson(Decoded(xml_, xml_.Attribute("id")));
    }
    return true;
  }

  void Text() {
    std::string* target = nullptr;
    if (inEntry_ && entry_.inText && entry_.inFrench) target = &entry_.french;
    if (inEntry_ && entry_.inText && entry_.inGerman) {
      if (target) XmlDecode(xml_.Text(), xml_.IsCdata(), xml_.Encoding(), *target);
      target = &entry_.german;
    }
    if (inEntry_ && entry_.inGrade) target = &entry_.gradeText;
    if (inName_) target = &nameText_;
    if (target) XmlDecode(xml_.Text(), xml_.IsCdata(), xml_.Encoding(), *target);
  }

  bool End(std::string& error) {
    const std::string_view name = xml_.Name();
    if (inEntry_ && name == "text") entry_.inText = false;
    if (inEntry_ && name == "translation") entry_.inGerman = entry_.inFrench = false;
    if (inEntry_ && name == "currentgrade") {
      entry_.inGrade = false;
      if (!entry_.grades.empty()) entry_.grades.back().value = GradeValue(entry_.gradeText);
    }
    if (inEntry_ && name == "entry" && xml_.Depth() == 2) {
      inEntry_ = false;
      return TakeEntry(error);
    }
    if (inName_ && name == "name") {
      inName_ = false;
      NameContainer();
    }
    if (name == "container") containers_.pop_back();
    return true;
  }

  bool TakeEntry(std::string& error) {
    std::erase_if(entry_.grades, [](const OpenEntry::Grade& g) { return g.value < 0; });
    ExchangeRow row;
    row.line = entry_.line;
    const std::string where = "Zeile " + std::to_string(entry_.line);
    std::string noteDe, noteFr;
    const CellFit de = FitUtf8Cell(entry_.german, row.german, noteDe);
    const CellFit fr = FitUtf8Cell(entry_.french, row.french, noteFr);
    for (const auto& [fit, note] : {std::pair{de, &noteDe}, std::pair{fr, &noteFr}})
      if (fit == CellFit::Broken) {
        error = LineMessage(entry_.line, "Eintrag " + win1252::FromUtf8(entry_.id) + ": " + *note);
        return false;
      }
    if (de == CellFit::Unfit || fr == CellFit::Unfit) {
      summary_.unfit.Add(where + " (" + (de == CellFit::Unfit ? noteDe : noteFr) + ")");
      return true;
    }
    if (vok::IsBlankText(row.german) && vok::IsBlankText(row.french)) {
      summary_.empty.Add(where);
      return true;
    }
    if (de == CellFit::Replaced || fr == CellFit::Replaced)
      summary_.replaced.Add(where + " (" + (de == CellFit::Replaced ? noteDe : noteFr) + ")");
    row.box = BoxOfGrade(ChosenGrade(entry_, pair_));
    const size_t cost =
        RowCost(row) + sizeof(IndexEntry) + (entry_.id.size() > 15 ? entry_.id.size() + 1 : 0);
    if (cost > left_) {
      error = kNotReadPrefix + A("zu viele Einträge für den Speicher");
      return false;
    }
    left_ -= cost;
    index_.push_back({entry_.id, static_cast<uint32_t>(rows_.size())});
    rows_.push_back(std::move(row));
    return true;
  }

  void NameContainer() {
    OpenContainer& c = containers_.back();
    const std::string parent = containers_.size() >= 2 ? containers_[containers_.size() - 2].path : "";
    const std::string name(Trimmed(nameText_));
    c.path = parent.empty() ? name : name.empty() ? parent : parent + " / " + name;
    const CellFit fit = FitUtf8Cell(c.path, c.lesson, c.note);
    c.fits = fit == CellFit::Exact || fit == CellFit::Replaced;
  }

  // The entry of that id gets the lesson of the open container, unless an earlier one named it.
  void GiveLesson(const std::string& id) {
    if (sorted_ != index_.size()) {
      std::stable_sort(index_.begin(), index_.end(),
                       [](const IndexEntry& a, const IndexEntry& b) { return a.first < b.first; });
      sorted_ = index_.size();
    }
    const auto at = std::lower_bound(index_.begin(), index_.end(), id,
                                     [](const IndexEntry& e, const std::string& k) { return e.first < k; });
    if (at == index_.end() || at->first != id) return;
    ExchangeRow& row = rows_[at->second];
    const OpenContainer& c = containers_.back();
    if (!row.lesson.empty() || row.box == 0 || c.path.empty()) return;
    if (!c.fits) {
      summary_.unfit.Add("Zeile " + std::to_string(row.line) + " (Lektion: " + c.note + ")");
      row.box = 0;  // left out below
      return;
    }
    row.lesson = c.lesson;
  }

  void Finish() {
    std::erase_if(rows_, [](const ExchangeRow& r) { return r.box == 0; });
  }

  using IndexEntry = std::pair<std::string, uint32_t>;
  XmlPull xml_;
  const KvtmlPair& pair_;
  std::vector<ExchangeRow>& rows_;
  ImportSummary& summary_;
  const KvtmlLimits& limits_;
  size_t left_;
  OpenEntry entry_;
  bool inEntry_ = false;
  std::vector<OpenContainer> containers_;
  bool inName_ = false;
  std::string nameText_;
  std::vector<IndexEntry> index_;
  size_t sorted_ = 0;
};

}  // namespace

bool KvtmlRows(std::string_view text, const KvtmlPair& pair, std::vector<ExchangeRow>& rows,
               std::string& error, ImportSummary* summary, const KvtmlLimits& limits) {
  rows.clear();
  if (HasNul(text, error)) return false;
  ImportSummary scratch;
  RowReader reader(text, pair, rows, summary ? *summary : scratch, limits);
  return reader.Run(error);
}

namespace {

bool HasControl(const std::string& s) {
  return std::any_of(s.begin(), s.end(), [](char c) {
    const auto b = static_cast<unsigned char>(c);
    return b < 0x20 && b != '\t';
  });
}

struct StringWriter : pugi::xml_writer {
  std::string out;
  void write(const void* data, size_t size) override { out.append(static_cast<const char*>(data), size); }
};

void Grade(pugi::xml_node translation, int box, const std::string& savedAt) {
  if (box < 2) return;
  pugi::xml_node grade = translation.append_child("grade");
  grade.append_attribute("fromid") = "0";
  const char* const value = box == 2 ? "3" : "5";
  grade.append_child("currentgrade").text() = value;
  grade.append_child("count").text() = value;
  grade.append_child("errorcount").text() = "0";
  grade.append_child("date").text() = savedAt.c_str();
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
  pugi::xml_node c =
      firstEntry ? parent.insert_child_before("container", firstEntry) : parent.append_child("container");
  c.append_child("name").text() = name.c_str();
  c.append_child("inpractice").text() = "true";
  made.emplace(path, c);
  return c;
}

}  // namespace

bool WriteKvtml(const std::vector<ExchangeRow>& rows, const std::string& title, const std::string& savedAt,
                std::string& text, std::string& error) {
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
      if (k == 1) Grade(t, row.box, savedAt);
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
