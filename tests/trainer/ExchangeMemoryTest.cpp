// The memory an import takes, measured by counting what is allocated while a list is read and
// added: a KVTML list under the file size limit must not need many times its size.
#include <gtest/gtest.h>
#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "ListExchange.h"

namespace {

std::atomic<bool> counting{false};
std::atomic<std::size_t> current{0}, peak{0};

}  // namespace

void* operator new(std::size_t size) {
  void* p = std::malloc(size == 0 ? 1 : size);
  if (!p) throw std::bad_alloc();
  if (counting.load(std::memory_order_relaxed)) {
    const std::size_t now = current += malloc_usable_size(p);
    std::size_t seen = peak.load();
    while (now > seen && !peak.compare_exchange_weak(seen, now)) {
    }
  }
  return p;
}

void operator delete(void* p) noexcept {
  if (p && counting.load(std::memory_order_relaxed))
    current -= std::min(current.load(), malloc_usable_size(p));
  std::free(p);
}

void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

// The no-throw forms (std::stable_sort's buffer) must come from the same heap as the others.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return operator new(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void operator delete(void* p, const std::nothrow_t&) noexcept { operator delete(p); }

namespace {

struct Peaks {
  std::size_t read = 0;    // reading the rows
  std::size_t import = 0;  // and adding them to a new document
};

// Peak heap of reading the list and adding its rows to a new document, beyond the text.
Peaks ImportPeaks(const std::string& text) {
  Peaks peaks;
  current = 0;
  peak = 0;
  counting = true;
  {
    std::vector<ExchangeRow> rows;
    std::string error;
    EXPECT_TRUE(ListRows(text, CsvOptions{}, rows, error)) << error;
    peaks.read = peak;
    VokDocument doc;
    AddExchangeRows(doc, std::move(rows), nullptr);
  }
  counting = false;
  peaks.import = peak;
  return peaks;
}

std::string Head() {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<kvtml version=\"2.0\">\n<identifiers>\n"
         "<identifier id=\"0\"><name>Deutsch</name><locale>de</locale></identifier>\n"
         "<identifier id=\"1\"><name>Franz\xC3\xB6sisch</name><locale>fr</locale></identifier>\n"
         "</identifiers>\n<entries>\n";
}

}  // namespace

TEST(ExchangeMemoryTest, KvtmlListsNeedLittleMoreThanTheirSize) {
  // As Parley writes them (indented, with grades), and as small as entries can be written.
  std::string parley = Head(), tight = Head();
  for (int i = 0; i < 20000; ++i) {
    const std::string n = std::to_string(i);
    parley += "  <entry id=\"" + n + "\">\n   <translation id=\"0\">\n    <text>Haus" + n +
              "</text>\n   </translation>\n   <translation id=\"1\">\n    <text>maison" + n +
              "</text>\n    <grade fromid=\"0\">\n     <currentgrade>3</currentgrade>\n"
              "     <count>4</count>\n     <errorcount>1</errorcount>\n"
              "     <date>2009-01-02T10:00:00</date>\n    </grade>\n   </translation>\n  </entry>\n";
  }
  for (int i = 0; i < 60000; ++i)
    tight += "<entry id=\"" + std::to_string(i) + "\"><translation id=\"1\"><text>" + std::to_string(i) +
             "</text></translation></entry>";
  for (std::string* text : {&parley, &tight}) *text += "</entries>\n</kvtml>\n";
  // The reader holds the rows and their index, nothing in proportion to the XML.
  for (const std::string* text : {&parley, &tight}) {
    const Peaks peaks = ImportPeaks(*text);
    EXPECT_LT(peaks.read, 3 * text->size()) << peaks.read << " bytes to read a list of " << text->size();
    if (text == &parley) {
      EXPECT_LT(peaks.import, 3 * text->size())
          << peaks.import << " bytes to import a list of " << text->size();
    }
  }
}
