// The JSON of the command line: the records keep their keys, order and value types, texts that
// are not valid UTF-8 (cut or damaged identification texts, file names in another encoding) come
// out replaced rather than breaking the document, and Python's json module reads what `info
// --json` and `wavinfo --json` print for such files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/records_json.h"
#include "cli_run.h"
#include "support/mxf_fixture.h"
#include "support/temp_dir.h"
#include "support/wav_fixture.h"

namespace tavrin::test {
namespace {

constexpr const char* kReplacement = "\xEF\xBF\xBD";  // U+FFFD

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Parses strictly: nlohmann/json refuses a document with invalid UTF-8.
nlohmann::ordered_json parse(const std::string& text) {
  return nlohmann::ordered_json::parse(text);
}

TEST(CliJson, InvalidUtf8InARecordIsReplacedAndTheDocumentStaysValid) {
  MXF_BASE_INFO base;
  base.companyName = "Acme \xFF\xFE Works";     // bytes that start no character
  base.productName = "\xE3\x81";                // a three-byte character cut after two bytes
  base.versionString = "1.0\xC0\xAF";           // an overlong encoding of '/'
  base.platform = "tab\there \"quoted\" \x01";  // escapes, not damage
  base.creationDate = "2024-05-17 10:00:00.000";
  const std::string text = cli::json_text(JsonValue(base));
  ASSERT_TRUE(text.ends_with("}\n")) << text;
  nlohmann::ordered_json json;
  ASSERT_NO_THROW(json = parse(text)) << text;
  const std::string company = json["companyName"];
  EXPECT_TRUE(company.starts_with("Acme ")) << company;
  EXPECT_TRUE(contains(company, kReplacement)) << company;
  EXPECT_TRUE(company.ends_with(" Works")) << company;
  EXPECT_TRUE(contains(json["productName"].get<std::string>(), kReplacement));
  EXPECT_TRUE(json["versionString"].get<std::string>().starts_with("1.0"));
  EXPECT_FALSE(contains(json["versionString"].get<std::string>(), "/"));
  EXPECT_EQ(json["platform"], "tab\there \"quoted\" \x01");
  EXPECT_EQ(json["creationDate"], base.creationDate);
}

TEST(CliJson, RecordsKeepTheirKeysInOrderAndTheirValueTypes) {
  MXF_BASE_INFO base;
  base.versionMajor = 1;
  base.versionMinor = 3;
  base.sectionCode = 1000;
  const nlohmann::ordered_json b = parse(cli::json_text(JsonValue(base)));
  std::vector<std::string> keys;
  for (const auto& item : b.items()) keys.push_back(item.key());
  EXPECT_EQ(keys,
            (std::vector<std::string>{"fileSize", "creationDate", "modifiedDate", "versionMajor",
                                      "versionMinor", "companyName", "productName", "versionString",
                                      "platform", "hasAncData", "ancElementSize", "sectionCode"}));
  // Byte-sized fields are numbers, never characters.
  EXPECT_TRUE(b["versionMajor"].is_number_unsigned());
  EXPECT_EQ(b["versionMinor"], 3);
  EXPECT_EQ(b["sectionCode"], 1000);

  MXF_LAYOUT_INFO layout;
  layout.systemItem = true;
  layout.audioDeltas = {100, 200};
  layout.elementKeys = {Key16{0x06, 0x0e, 0x2b, 0x34, 0xff}};
  const nlohmann::ordered_json l = parse(cli::json_text(JsonValue(layout)));
  EXPECT_TRUE(l["systemItem"].is_boolean());
  EXPECT_EQ(l["audioDeltas"], nlohmann::ordered_json::array({100, 200}));
  EXPECT_EQ(l["elementKeys"][0], "060e2b34ff0000000000000000000000");

  // An index entry lists the delta entries its segment declares, signed ones as negatives.
  std::vector<INDEX_ENTRY_ARRAY> entries(12);
  entries[0].deltaCount = 2;
  entries[0].temporalOffset = -2;
  entries[0].deltas[1] = DeltaEntry{-1, 0, 4096};
  for (size_t i = 0; i < entries.size(); ++i) entries[i].samplesInFrame = 1600 + i % 2;
  MXF_TIMECODE_INFO timecode;
  timecode.indexEntryCount = 12;
  const nlohmann::ordered_json index = parse(cli::json_text(cli::index_json(timecode, entries)));
  EXPECT_EQ(index["indexEntryCount"], 12);
  EXPECT_EQ(index["first"]["temporalOffset"], -2);
  ASSERT_EQ(index["first"]["deltas"].size(), 2u);
  EXPECT_EQ(index["first"]["deltas"][1]["posTableIndex"], -1);
  EXPECT_EQ(index["first"]["deltas"][1]["elementDelta"], 4096);
  EXPECT_EQ(index["samplesInFrame"].size(), 10u);
  EXPECT_EQ(index["samplesInFrame"][1], 1601);
  EXPECT_TRUE(parse(cli::json_text(cli::index_json(timecode, {})))["first"].is_null());

  TimecodeErrorList errors(1);
  errors.front().state = 4;
  const nlohmann::ordered_json e = parse(cli::json_text(JsonValue(errors)));
  ASSERT_TRUE(e.is_array());
  EXPECT_EQ(e[0]["state"], 4);
}

// Runs `python3` reading each of `paths` with the json module; true when all parsed.
bool python_reads_json(const std::vector<std::string>& paths) {
  std::string command =
      "python3 -c 'import json, sys\nfor p in sys.argv[1:]: json.load(open(p, "
      "encoding=\"utf-8\"))'";
  for (const std::string& path : paths) command += " '" + path + "'";
  return std::system(command.c_str()) == 0;
}

TEST(CliJson, PythonReadsTheJsonOfFilesWithDamagedTexts) {
  if (std::system("python3 -c pass >/dev/null 2>&1") != 0) GTEST_SKIP() << "python3 is missing";
  TempDir dir;
  ASSERT_FALSE(dir.path().empty());
  // Identification texts with unpaired surrogates and a company name longer than its field, so
  // that it is cut; the files named in Latin-1, which is not UTF-8.
  MxfFixtureOptions o;
  o.frameCount = 12;
  o.trackCount = 2;
  o.pictureSize = 1000;
  o.companyName = std::u16string(u"\xD800Works ") + std::u16string(70, u'\u653E');
  o.productName = u"Writer \xDC00\xDC01";
  o.versionString = u"\xDBFF";
  o.platform = u"Linux \xD83D";
  const std::string mxf = dir.file("Programm-\xFC\xE9.mxf");
  ASSERT_TRUE(write_mxf_fixture(mxf, o));
  const std::string wav = dir.file("Ton-\xE4\xF6\xFC.wav");
  ASSERT_TRUE(write_wav(wav, make_wav(WavParams{})));
  const std::string refused = dir.file("missing-\xFF.wav");

  const CliResult info = run_cli({"info", mxf, "--json"});
  ASSERT_EQ(info.exitStatus, 0) << info.err;
  const CliResult wavinfo = run_cli({"wavinfo", mxf, wav, refused, "--json"});
  ASSERT_EQ(wavinfo.exitStatus, 1) << wavinfo.err;  // the missing file is refused
  ASSERT_TRUE(write_file(dir.file("info.json"), {info.out.begin(), info.out.end()}));
  ASSERT_TRUE(write_file(dir.file("wavinfo.json"), {wavinfo.out.begin(), wavinfo.out.end()}));
  EXPECT_TRUE(python_reads_json({dir.file("info.json"), dir.file("wavinfo.json")}))
      << info.out << wavinfo.out;

  const nlohmann::ordered_json i = parse(info.out);
  EXPECT_TRUE(contains(i["file"]["name"].get<std::string>(), kReplacement));
  // The analysis keeps printable ASCII of the identification texts and blanks the rest.
  EXPECT_TRUE(i["base"]["companyName"].get<std::string>().starts_with(" Works ")) << info.out;
  EXPECT_TRUE(i["base"]["productName"].get<std::string>().starts_with("Writer ")) << info.out;
  const nlohmann::ordered_json w = parse(wavinfo.out);
  ASSERT_EQ(w["entries"].size(), 2u);
  EXPECT_TRUE(contains(w["entries"][0]["file_name"].get<std::string>(), kReplacement));
  EXPECT_TRUE(contains(w["entries"][0]["texts"][0].get<std::string>(), kReplacement));
  EXPECT_NE(w["entries"][1]["result"], 0);
  EXPECT_TRUE(contains(w["entries"][1]["file_path"].get<std::string>(), kReplacement));
}

}  // namespace
}  // namespace tavrin::test
