// The document text's scanner and index: they accept exactly what the JSON library accepts within
// the limits, keep no entries for the elements of arrays of numbers, and every value read out of
// the text (kind, size, number, path, how it is shown) is what the library makes of it.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <random>
#include <stdexcept>
#include <string>

#include "DocumentNode.h"

namespace {

using namespace document;
using namespace std::string_literals;

/// True when the JSON library, reading `text` within the limits, finds no mistake.
bool LibraryAccepts(const std::string& text) {
  try {
    ReportFirstMistake(text, "doc.json");
  } catch (const std::logic_error&) {
    return true;
  } catch (const DocumentError&) {
  }
  return false;
}

/// True when the scanner accepts `text`; a refusal must come with the library's message.
bool ScannerAccepts(const std::string& text) {
  try {
    ParseDocumentText(text, "doc.json");
    return true;
  } catch (const DocumentError&) {
    return false;
  }
}

TEST(DocumentParser, AcceptsExactlyWhatTheJsonLibraryAccepts) {
  const std::string fortyKeys = [] {
    std::string text = "{";
    for (int k = 0; k < 40; ++k) text += (k ? ",\"k" : "\"k") + std::to_string(k) + "\": 1";
    return text;
  }();
  const std::pair<std::string, bool> cases[] = {
      {"{}", true},
      {" \t\r\n{} ", true},
      {"5", true},
      {"\"x\"", true},
      {"", false},
      {"  ", false},
      {"[] []", false},
      // A byte order mark, at the start only.
      {"\xEF\xBB\xBF{}", true},
      {"\xEF\xBB{}", false},
      {"{}\xEF\xBB\xBF", false},
      // Comments; a NUL byte ends a line comment, and the text.
      {"// c\n{}", true},
      {"{} // c", true},
      {"{/**/}", true},
      {"{} /* c", false},
      {"{} /*/", false},
      {"{} /", false},
      {"[1, //c\0 2]"s, true},
      {"[1, /* \0 */ 2]"s, false},
      {"{}\0garbage"s, true},
      {"[1,\0]"s, false},
      // Numbers.
      {"[0, -0, 1.5, -1.5e10, 1E+2, 1e-2, 0.0, 1e-400, 4.9e-324]", true},
      {"[18446744073709551616, -9223372036854775809, 1.7976931348623157e308, 0.1e309]", true},
      {"[01]", false},
      {"[-]", false},
      {"[1.]", false},
      {"[.5]", false},
      {"[1e]", false},
      {"[+1]", false},
      {"[1e400]", false},
      {"[-1e400]", false},
      {"[1.7976931348623159e308]", false},
      {"[1" + std::string(400, '0') + "]", false},
      // Literals.
      {"[true, false, null]", true},
      {"[tru]", false},
      {"[True]", false},
      // Strings: escapes, surrogate pairs, control characters, UTF-8.
      {R"(["a\"b\\c\/d\b\f\n\r\t", "\u00e9\u20AC", "\ud83d\ude00", "\u0000"])", true},
      {R"(["\x"])", false},
      {R"(["\u00g0"])", false},
      {R"(["\ud83d"])", false},
      {R"(["\ud83dx"])", false},
      {R"(["\ude00"])", false},
      {R"(["\ud83d\u0041"])", false},
      {"[\"a\tb\"]", false},
      {"[\"\x7f\"]", true},
      {"[\"\xC3\xA9 \xF0\x9F\x98\x80 \xEF\xBF\xBF\"]", true},
      {"[\"\xC0\xAF\"]", false},
      {"[\"\xE0\x80\x80\"]", false},
      {"[\"\xED\xA0\x80\"]", false},
      {"[\"\xF4\x90\x80\x80\"]", false},
      {"[\"\xE2\x82\"]", false},
      {"[\"\xFF\"]", false},
      {"[\"abc", false},
      // Structure.
      {"[1,]", false},
      {"[,1]", false},
      {R"({"a": 1,})", false},
      {R"({"a" 1})", false},
      {"{1: 1}", false},
      {"[1 2]", false},
      {"[1}", false},
      // Keys once per object, spelt either way; objects of many keys too.
      {R"({"a": 1, "a": 2})", false},
      {R"({"a": 1, "\u0061": 2})", false},
      {R"({"a": {"a": 1}, "b": {"a": 2}})", true},
      {fortyKeys + "}", true},
      {fortyKeys + ", \"k39\": 2}", false},
      // Nesting.
      {std::string(256, '[') + std::string(256, ']'), true},
      {std::string(257, '[') + std::string(257, ']'), false},
  };
  for (const auto& [text, accepted] : cases) {
    EXPECT_EQ(LibraryAccepts(text), accepted) << "text: " << text;
    EXPECT_EQ(ScannerAccepts(text), accepted) << "text: " << text;
  }
}

TEST(DocumentParser, MutatedDocumentsAreAcceptedOrRefusedAsTheJsonLibraryDoes) {
  const std::string base =
      R"({"units": "meters", "materials": [{"name": "Gla\u00dfs", "diffuse": [1, 2, 3]}],
    // a comment
    "objects": [{"name": "Mesh", "layer": 0, /* another */ "mesh": {"vertices": [[0, -0, 1.5],
      [1e2, -2.5E-3, 18446744073709551616]], "faces": [[0, 1, 1]]}, "selected": true, "x": null}]})";
  const std::string pieces[] = {",",
                                "]",
                                "}",
                                "[",
                                "{",
                                "\"",
                                "\\",
                                "//c\n",
                                "/*c*/",
                                "/*",
                                "/",
                                "\0"s,
                                "\xEF\xBB\xBF",
                                "1e400",
                                "-0",
                                "\xFF",
                                "\xC3\xA9",
                                "\\ud800",
                                "\\udc00",
                                "\\u0041",
                                " ",
                                "\n",
                                "tru",
                                "null",
                                "0.",
                                "01",
                                "-",
                                "1e",
                                ":",
                                "\"a\"",
                                "\x01",
                                "1e308",
                                "9"};
  std::mt19937 random(11);
  for (int round = 0; round < 4000; ++round) {
    std::string text = base;
    const int edits = 1 + int(random() % 3);
    for (int e = 0; e < edits; ++e) {
      const std::size_t at = random() % (text.size() + 1);
      if (random() % 4 == 0)
        text.erase(at, 1 + random() % 3);
      else
        text.insert(at, pieces[random() % std::size(pieces)]);
    }
    bool accepted = false;
    try {
      ParseDocumentText(text, "doc.json");
      accepted = true;
    } catch (const DocumentError&) {
    } catch (const std::logic_error&) {
      ADD_FAILURE() << "refused, but the JSON library accepts: " << text;
      continue;
    }
    if (accepted) {
      EXPECT_TRUE(LibraryAccepts(text)) << "accepted, but the library refuses: " << text;
    }
  }
}

TEST(DocumentParser, ArraysOfNumbersKeepNoEntriesForTheirElements) {
  std::string vertices;
  for (int v = 0; v < 1000; ++v) vertices += (v ? ", [" : "[") + std::to_string(v) + ", 0.5, -1]";
  const std::string text = R"({"materials": [{"name": "A"}, {"name": "B"}],
      "objects": [{"mesh": {"vertices": [)" +
                           vertices + R"(]}}]})";
  const ParsedText parsed = ParseDocumentText(text, "doc.json");
  // The document, its 2 members, 2 materials with a name each, 1 object, its mesh, its vertices.
  EXPECT_EQ(parsed.entries.size(), 10u);
  const Source source{"doc.json", parsed};
  const Node array =
      *(*Node(source).required("objects", "").elements()[0].member("mesh")).member("vertices");
  EXPECT_EQ(array.size(), 1000u);
  EXPECT_EQ(array.elements()[999].elements()[0].finite(), 999.0);
}

/// Compares `node` and everything in it with the library's reading of the same value at `at`.
void ExpectSameAsLibrary(const Node& node, const nlohmann::ordered_json& value,
                         const nlohmann::ordered_json::json_pointer& at) {
  SCOPED_TRACE("at " + at.to_string());
  EXPECT_EQ(node.path(), at.to_string());
  std::string shown = value.dump();
  if (shown.size() > 60) {
    std::size_t end = 60;
    while (end > 0 && (static_cast<unsigned char>(shown[end]) & 0xC0) == 0x80) --end;
    shown = shown.substr(0, end) + "...";
  }
  EXPECT_EQ(node.show(), shown);
  EXPECT_EQ(node.isObject(), value.is_object());
  EXPECT_EQ(node.isArray(), value.is_array());
  EXPECT_EQ(node.isString(), value.is_string());
  EXPECT_EQ(node.isInteger(), value.is_number_integer());
  if (value.is_number()) {
    EXPECT_EQ(node.finite(), value.get<double>());
  }
  if (value.is_string()) {
    EXPECT_EQ(node.text(), value.get<std::string>());
  }
  if (value.is_array()) {
    const std::vector<Node> elements = node.elements();
    ASSERT_EQ(elements.size(), value.size());
    EXPECT_EQ(node.size(), value.size());
    for (std::size_t i = 0; i < elements.size(); ++i)
      ExpectSameAsLibrary(elements[i], value[i], at / i);
  }
  if (value.is_object()) {
    const std::vector<Node> members = node.members();
    ASSERT_EQ(members.size(), value.size());
    EXPECT_EQ(node.size(), value.size());
    std::size_t i = 0;
    for (const auto& [key, member] : value.items()) {
      EXPECT_EQ(members[i].key(), key);
      ASSERT_TRUE(node.member(key));
      EXPECT_EQ(node.member(key)->path(), (at / key).to_string());
      ExpectSameAsLibrary(members[i++], member, at / key);
    }
  }
}

TEST(DocumentParser, ValuesReadFromTheTextAreWhatTheJsonLibraryReads) {
  // Values inside arrays of numbers (which have no entries), inside objects within such arrays,
  // keys that a JSON path escapes, long values cut short, comments everywhere.
  const std::string text =
      "\xEF\xBB\xBF"
      R"(// a document
  {"a/b~c": [[1, -0, 2.50, 1E+2, 1e-400, 18446744073709551616, -9223372036854775808], [],
             [[3, {"x y": "\u00e9\n\"", "": [true, false, null]}]], "tail"],
   "objects": [{"name": "B\u00e9ton", "mesh": {"vertices": [[0, 0, 0] /* one */, [1, 2, 3]]}},
               {"long": "0123456789012345678901234567890123456789012345678901234567890123456789",
                "many": [1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21]},
               [{"deep": {"er": [0.1, 0.2]}}]],
   "utf8": "\u20ac\u20ac\u20ac\u20ac\u20ac\u20ac\u20ac\u20ac\u20ac\u20ac\u20ac\u20ac\u20ac\u20ac\u20ac\u20ac\u20ac\u20ac\u20ac\u20ac",
   "numbers": [0.1, 1e300, -1.5e-7, 123456789012345678901234567890, 7]})";
  const ParsedText parsed = ParseDocumentText(text, "doc.json");
  const Source source{"doc.json", parsed};
  ExpectSameAsLibrary(Node(source), nlohmann::ordered_json::parse(text, nullptr, true, true),
                      nlohmann::ordered_json::json_pointer());
}

TEST(DocumentParser, ShowingAValueStopsSoonAfterTheLimitEvenPastALongKey) {
  // A message shows 60 bytes: a long key must not make the long string after it be written out.
  const std::string text =
      "{\"" + std::string(100, 'k') + "\": \"" + std::string(1 << 20, 'v') + "\", \"n\": [1, 2]}";
  const ParsedText parsed = ParseDocumentText(text, "doc.json");
  EXPECT_LT(Dump(parsed.text.data(), 60).size(), 200u);
  EXPECT_EQ(Node(Source{"doc.json", parsed}).show(), "{\"" + std::string(58, 'k') + "...");
}

TEST(DocumentParser, ElementCursorReadsPlainNumbersFastAndLeavesTheRestToNodes) {
  const std::string text = R"({"points": [[1, -0, 1e-400], [2.5, 18446744073709551616,
      -9223372036854775808], [1, /* two */ 2], "x", [1, 2, 3, 4], [[1], 2, 3]],
    "faces": [[0, 12, 999999999], [1000000000, 1, 2], [-1, 0, 1], [1.0, 2, 3], [7, 8 ]]})";
  const ParsedText parsed = ParseDocumentText(text, "doc.json");
  const Source source{"doc.json", parsed};
  const Node root(source);

  ElementCursor points(*root.member("points"));
  const std::size_t counts[] = {3, 3, 2, 4, 4, 4};  // 4: not three plain numbers or fewer
  for (std::size_t count : counts) {
    ASSERT_TRUE(points.next());
    double xyz[3];
    ASSERT_EQ(points.numbers(xyz, 3), count);
    if (count > 3) continue;
    const std::vector<Node> elements = points.node().elements();
    for (std::size_t k = 0; k < count; ++k) {
      EXPECT_EQ(xyz[k], elements[k].finite());
      EXPECT_FALSE(std::signbit(xyz[k]) && xyz[k] == 0) << "-0 is the integer 0";
    }
  }
  EXPECT_FALSE(points.next());

  ElementCursor faces(*root.member("faces"));
  const std::size_t corners[] = {3, 5, 5, 5, 2};  // 5: an index not of up to 9 plain digits
  for (std::size_t count : corners) {
    ASSERT_TRUE(faces.next());
    int vi[4];
    ASSERT_EQ(faces.integers(vi, 4), count);
    if (count == 3) {
      EXPECT_EQ(vi[2], 999999999);
    }
    if (count == 2) {
      EXPECT_EQ(vi[1], 8);
    }
    EXPECT_EQ(faces.node().isArray(), true);
  }
  EXPECT_FALSE(faces.next());
}

}  // namespace
