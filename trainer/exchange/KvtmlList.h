#pragma once
// KVTML 2.0, the XML word lists of the KDE trainers: identifiers (the languages, each with a
// name and a locale), entries with one translation per identifier (a text and grades, each
// grade asked from another identifier), and lessons as nested containers that name their
// entries. Files are read as a stream (XmlPull), twice: once for the languages, once for the
// rows of the two chosen ones, so that memory follows the rows taken, not the file. Writing
// goes through pugixml. Texts are UTF-8 or, as declared, ISO 8859-1/Windows-1252 in the file
// and Windows-1252 here.

#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ExchangeRows.h"
#include "vokdisk.h"

struct KvtmlIdentifier {
  std::string id;
  std::string name;  // Windows-1252
  std::string locale;
};

// What the languages are chosen from.
struct KvtmlFile {
  std::vector<KvtmlIdentifier> identifiers;
  std::size_t entries = 0;
};

// Reads the whole text once, keeping the identifiers. False with a German message naming the
// line and column for broken XML, and saying so for a file that is no KVTML file.
bool ReadKvtml(std::string_view text, KvtmlFile& file, std::string& error);

// The identifiers of the two word columns; an empty one is none (the column stays empty).
struct KvtmlPair {
  std::string german;
  std::string french;
  bool operator==(const KvtmlPair&) const = default;
};

// The identifiers of German and French: by locale ("de", "de_DE", "fr-FR", ...), failing that
// by name in German, French or English ("Deutsch", "Allemand", "German"; "Französisch",
// "Français", "French"); nullopt for a language not found.
struct KvtmlFound {
  std::optional<std::size_t> german;  // index into identifiers
  std::optional<std::size_t> french;
};
KvtmlFound FindLanguages(const KvtmlFile& file);
// The pair taken without asking: both languages found, or a list of one language, which goes
// into the French column.
std::optional<KvtmlPair> FindGermanFrench(const KvtmlFile& file);

// "FRENCH,GERMAN" as the command line gives it: each a locale ("fr", "fr_FR"), a name
// ("Französisch", "French"; Windows-1252, any case) or an identifier ("0"); a single one is
// French, the German column then stays empty. False with the message naming what is missing.
bool PairFromText(const KvtmlFile& file, std::string_view text, KvtmlPair& pair, std::string& error);

// The file's languages for a message: "0 French (fr), 1 English (en)".
std::string LanguagesText(const KvtmlFile& file);

// What the learner is told about the languages of the pair: a list of one language, languages
// not taken. Windows-1252 lines.
std::vector<std::string> LanguageNotes(const KvtmlFile& file, const KvtmlPair& pair);

// The grade of a translation as a box: 0-2 box 1, 3-4 box 2, 5-7 box 3 (none given: box 1).
int BoxOfGrade(int grade);

struct KvtmlLimits {
  std::size_t rows = std::numeric_limits<std::size_t>::max();  // stop after so many (preview)
  std::size_t budget = kVokReadBudget;                         // memory the rows may hold
};

// The entries as rows with the two chosen identifiers. The box follows the grade asked from
// German to French (the French translation's grade from the German identifier), else the one
// from French to German, else the lowest grade of the two translations. Entries without a
// word in either language, and entries with a character Windows-1252 cannot hold, are left
// out and told to the summary. False with a German message for broken XML and for rows that
// would need more memory than the budget ("Datei nicht eingelesen: ...").
bool KvtmlRows(std::string_view text, const KvtmlPair& pair, std::vector<ExchangeRow>& rows,
               std::string& error, ImportSummary* summary = nullptr, const KvtmlLimits& limits = {});

// A KVTML 2.0 text of the rows: identifiers 0 "Deutsch" (de) and 1 "Französisch" (fr), one
// entry a row, boxes 2 and 3 as the grades 3 and 5 of the French translation asked from
// German, dated savedAt ("2024-05-01T10:00:00"), lessons as containers (a name with " / " as
// nested ones). A control character, which XML cannot carry, refuses the rows with the row's
// number.
bool WriteKvtml(const std::vector<ExchangeRow>& rows, const std::string& title, const std::string& savedAt,
                std::string& text, std::string& error);
