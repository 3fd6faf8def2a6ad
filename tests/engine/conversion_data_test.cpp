// SPDX-License-Identifier: MIT
// The conversion's data comes from the program's data folder alone: files planted in the
// current folder change nothing, and a damaged or missing file is refused with a reason in
// the program's words.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "engine/messages.h"
#include "engine/script_conversion.h"
#include "test_files.h"

namespace morvane {
namespace {

using testing::ScratchFolder;
using testing::WriteBytes;
using Kind = ScriptConversionProblem::Kind;

// Runs in a folder of its own as the current folder, and goes back after.
class InFolder {
 public:
  explicit InFolder(const std::string& folder) : before_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
  }
  ~InFolder() { std::filesystem::current_path(before_); }

 private:
  std::filesystem::path before_;
};

struct Case {
  const char* name;
  // Plants files in the current folder (here) or damages the copy of the data (data).
  std::function<bool(const ScratchFolder& here, const std::string& data)> plant;
  std::string config = "s2t";
  Kind expected = Kind::kNone;
  const char* file = "";  // the file the refusal names, by its end
};

TEST(ConversionData, FromTheDataFolderOnly) {
  if (!ScriptConversionAvailable()) GTEST_SKIP() << "built without OpenCC";
  const std::string system = ScriptConversionDataFolder();
  const auto copy = [&](const std::string& to, const char* name) {
    std::filesystem::copy_file(system + "/" + name, to + "/" + name);
  };
  const Case cases[] = {
      {"a configuration in the current folder",
       [](const ScratchFolder& here, const std::string&) {
         WriteBytes(here / "evil.txt", "红楼梦\t被篡改的文字\n");
         WriteBytes(here / "s2t.json",
                    R"({"name":"x","segmentation":{"type":"mmseg","dict":{"type":"text",)"
                    R"("file":"evil.txt"}},"conversion_chain":[{"dict":{"type":"text",)"
                    R"("file":"evil.txt"}}]})");
         return true;
       }},
      {"a dictionary in the current folder",
       [](const ScratchFolder& here, const std::string&) {
         if (!std::filesystem::exists("/usr/bin/opencc_dict")) return false;
         WriteBytes(here / "evil.txt", "红楼梦\t被篡改的文字\n");
         const std::string make = "/usr/bin/opencc_dict -f text -t ocd2 -i '" + here / "evil.txt" +
                                  "' -o '" + here / "STPhrases.ocd2" + "'";
         return std::system(make.c_str()) == 0;
       }},
      {"a damaged dictionary",
       [](const ScratchFolder&, const std::string& data) {
         WriteBytes(data + "/STCharacters.ocd2", "junk junk junk");
         return true;
       },
       "s2t", Kind::kDamaged, "/STCharacters.ocd2"},
      {"a dictionary cut short",
       [](const ScratchFolder&, const std::string& data) {
         std::filesystem::resize_file(data + "/STPhrases.ocd2", 100);
         return true;
       },
       "s2t", Kind::kDamaged, "/STPhrases.ocd2"},
      {"a dictionary missing",
       [](const ScratchFolder&, const std::string& data) {
         return std::filesystem::remove(data + "/STCharacters.ocd2");
       },
       "s2t", Kind::kMissing, "/STCharacters.ocd2"},
      {"a damaged configuration",
       [](const ScratchFolder&, const std::string& data) {
         WriteBytes(data + "/s2t.json", "{\"name\": ");
         return true;
       },
       "s2t", Kind::kDamaged, "/s2t.json"},
      {"a name that is none of the eight",
       [](const ScratchFolder& here, const std::string&) {
         WriteBytes(here / "s2t.json.json", "{}");
         return true;
       },
       "s2t.json", Kind::kUnknownConfig, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchFolder here;
    ScratchFolder data;
    for (const char* name : {"s2t.json", "STPhrases.ocd2", "STCharacters.ocd2"}) {
      copy(data.path(), name);
    }
    if (!c.plant(here, data.path())) {
      ADD_FAILURE() << "could not plant the files";
      continue;
    }
    InFolder in(here.path());
    ScriptConversionProblem problem;
    // Planted files go beside the novel, so the system's own data is used for those rows.
    const bool damagesData = c.expected != Kind::kNone;
    auto converter = ScriptConverter::Open(c.config, &problem, damagesData ? data.path() : "");
    EXPECT_EQ(problem.kind, c.expected);
    if (c.expected == Kind::kNone) {
      ASSERT_NE(converter, nullptr);
      EXPECT_EQ(converter->ConvertUtf8("红楼梦"), "紅樓夢");
      continue;
    }
    EXPECT_EQ(converter, nullptr);
    EXPECT_TRUE(problem.file.ends_with(c.file)) << problem.file;
    const std::string message = messages::CannotConvertScript(c.config, problem);
    for (const char* english : {"Invalid", "found", "accessible", "format", "JSON"}) {
      EXPECT_EQ(message.find(english), std::string::npos) << message;
    }
  }
}

}  // namespace
}  // namespace morvane
