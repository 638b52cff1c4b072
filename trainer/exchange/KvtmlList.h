#pragma once
// KVTML 2.0, the XML word lists of the KDE trainers: identifiers (the languages, each with a
// name and a locale), entries with one translation per identifier (a text and grades), and
// lessons as nested containers that name their entries. Reading and writing go through
// pugixml; texts are UTF-8 there and Windows-1252 here.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ExchangeRows.h"

struct KvtmlIdentifier {
  std::string id;
  std::string name;    // Windows-1252, for the choice of columns
  std::string locale;
};

struct KvtmlTranslation {
  std::string identifier;
  std::string text;  // UTF-8 as in the file
  int grade = -1;    // currentgrade, -1 when none is given
};

struct KvtmlEntry {
  std::string id;
  std::vector<KvtmlTranslation> translations;
  std::string lesson;  // UTF-8; nested container names joined with " / "
  std::size_t line = 0;
};

struct KvtmlFile {
  std::vector<KvtmlIdentifier> identifiers;
  std::vector<KvtmlEntry> entries;
};

// Parses the text. False with a German message naming the line and column for broken XML, and
// saying so for a file that is no KVTML file.
bool ReadKvtml(std::string_view text, KvtmlFile& file, std::string& error);

// The identifiers of German and French, found by their locale ("de", "de_DE", "fr-FR", ...);
// nullopt unless both are there.
struct KvtmlPair {
  std::string german;
  std::string french;
};
std::optional<KvtmlPair> FindGermanFrench(const KvtmlFile& file);

// The grade of a translation as a box: 0-2 box 1, 3-4 box 2, 5-7 box 3 (none given: box 1).
int BoxOfGrade(int grade);

// The entries as rows with the two chosen identifiers. The box follows the French
// translation's grade (the word asked for), else the German one's. A character Windows-1252
// cannot hold refuses the file with the entry's line.
bool KvtmlRows(const KvtmlFile& file, const KvtmlPair& pair, std::vector<ExchangeRow>& rows,
               std::string& error);

// A KVTML 2.0 text of the rows: identifiers 0 "Deutsch" (de) and 1 "Französisch" (fr), one
// entry a row, boxes 2 and 3 as the grades 3 and 5 of the French translation, lessons as
// containers (a name with " / " as nested ones). A control character, which XML cannot carry,
// refuses the rows with the row's number.
bool WriteKvtml(const std::vector<ExchangeRow>& rows, const std::string& title, std::string& text,
                std::string& error);
