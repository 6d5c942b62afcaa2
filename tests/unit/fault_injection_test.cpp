// Every file operation of a start made to fail in turn. After each: the
// start ends with status 3 and a report naming the file, not its temporary
// file (or, for the parameter file, goes on as the settings rules say); an
// earlier output is unchanged unless the whole new one had replaced it
// before the fault; no other file is left; the progress window has done
// what it had done when the fault struck; "prepre.res" is absent, emptied
// or true; "kivrel.prm" holds its old or its whole new content. And the power cut after every operation of a start:
// each file is then found old or whole and new, and a finished start's files
// are on the disk.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <sstream>

#include "platform/disk_file_system.h"
#include "settings/parameter_file.h"
#include "startup/main_program.h"
#include "support/fake_platform.h"
#include "support/faulty_file_system.h"
#include "support/fixtures.h"
#include "support/power_cut_file_system.h"
#include "support/temp_folder.h"

namespace kivrel {
namespace {

using testing::FileOp;
using testing::kDefaultPrm;
using testing::ReadFile;
using testing::WriteFile;

// The kept parameter file first: its name holds the parameter file's.
const char* const kFiles[] = {"part.nc", "part.pr1", "prepre.res", "kivrel.prm.bad", "kivrel.prm"};

std::string FileOf(const std::string& path) {
  for (const char* name : kFiles) {
    if (path.find(name) != std::string::npos) return name;
  }
  return "?";
}

const char* OpName(FileOp op) {
  switch (op) {
    case FileOp::OpenForReading: return "open";
    case FileOp::Read: return "read";
    case FileOp::CreateTemporary: return "create";
    case FileOp::Write: return "write";
    case FileOp::Sync: return "sync";
    case FileOp::CloseWritten: return "close";
    case FileOp::LinkTemporary: return "link";
    case FileOp::Rename: return "rename";
    case FileOp::SyncFolder: return "sync the folder";
    case FileOp::Remove: return "remove";
    case FileOp::Empty: return "empty";
  }
  return "?";
}

// A first start without a parameter file; a setup start that saves other
// settings; a start whose parameter file cannot be read (kept as .bad and
// replaced by the defaults).
enum class Scenario { Conversion, ConversionWithoutParameterFile, Setup, SetupSave, Recreation };

const char* ScenarioName(Scenario scenario) {
  switch (scenario) {
    case Scenario::Conversion: return "conversion";
    case Scenario::ConversionWithoutParameterFile: return "first conversion";
    case Scenario::Setup: return "setup";
    case Scenario::SetupSave: return "setup save";
    case Scenario::Recreation: return "recreation";
  }
  return "?";
}

struct Start {
  ExitStatus status;
  std::vector<std::string> notices;
  std::vector<std::string> failures;
  std::vector<std::pair<FileOp, std::string>> log;
  std::vector<std::string> window;     // what the progress window was asked to do
  std::vector<std::size_t> window_at;  // how many file operations each came after
};

class FaultInjection : public ::testing::Test {
 protected:
  static constexpr const char* kEarlierOutput = "earlier output\r\n";
  static constexpr const char* kEarlierResult = "kivrel.pre\r\nversion:4\r\n/old/part.pr1\r\n0\r\n\r\n";
  static constexpr const char* kUnreadablePrm = "2\r\n2\r\nabc\r\n";
  const std::string kOldPrm = "2\r\n2\r\n1\r\n1\r\n1\r\nFalse\r\n0\r\n0.\r\nFalse\r\nEOF\r\n";

  // A fresh program folder and job for each start.
  void Prepare(Scenario scenario) {
    folder = std::make_unique<testing::TempFolder>();
    WriteFile(*folder / "part.nc", "G1 X1 F100\r\nG1 X2\r\n");
    WriteFile(*folder / "part.pr1", kEarlierOutput);
    WriteFile(*folder / "prepre.res", kEarlierResult);
    if (scenario != Scenario::ConversionWithoutParameterFile) WriteFile(*folder / "kivrel.prm", OldPrm(scenario));
  }

  std::string OldPrm(Scenario scenario) const {
    if (scenario == Scenario::ConversionWithoutParameterFile) return "";
    return scenario == Scenario::Recreation ? kUnreadablePrm : kOldPrm;
  }

  // `faulty`, when given, counts the operations the window's events follow.
  Start StartIn(Scenario scenario, FileSystem& files, const testing::FaultyFileSystem* faulty = nullptr) {
    testing::RecordingMessageBoxes boxes;
    testing::FakeUserInterface ui;
    std::vector<std::size_t> window_at;
    ui.progress.on_event = [&] { window_at.push_back(faulty ? faulty->log().size() : 0); };
    ui.on_dialog = [scenario](Settings& settings, const SettingsEnvironment& environment) {
      if (scenario != Scenario::SetupSave) return;
      settings.ZScale = 3;
      SaveSettings(settings, environment);
    };
    testing::ScriptedClock clock({0.0f}, 1.0f);
    const bool setup = scenario == Scenario::Setup || scenario == Scenario::SetupSave;
    Platform platform{files, boxes, clock, ui, ui.errors, folder->path().string(), setup ? "SETUP" : *folder / "part.nc"};
    const ExitStatus status = RunProgram(platform);
    return {status, boxes.notices, ui.failures, {}, ui.progress.events, window_at};
  }

  Start Run(Scenario scenario, FileOp op, const std::string& file, int occurrence, bool library_errors = false) {
    Prepare(scenario);
    DiskFileSystem disk;
    testing::FaultyFileSystem faulty(disk);
    if (occurrence > 0) faulty.FailOn(op, file, occurrence);
    if (library_errors) faulty.FailAsTheLibraryDoes();
    Start start = StartIn(scenario, faulty, &faulty);
    start.log = faulty.log();
    return start;
  }

  // The operations of an undisturbed start, each with its file and the
  // how-manieth of its kind on that file it is.
  std::vector<std::tuple<FileOp, std::string, int>> OperationsOf(const Start& clean) {
    std::map<std::pair<FileOp, std::string>, int> occurrences;
    std::vector<std::tuple<FileOp, std::string, int>> operations;
    for (const auto& [op, path] : clean.log) {
      const std::string file = FileOf(path);
      operations.emplace_back(op, file, ++occurrences[{op, file}]);
    }
    return operations;
  }

  std::unique_ptr<testing::TempFolder> folder;
};

TEST_F(FaultInjection, EveryFileOperationOfAStartFailsInTurn) {
  int injected = 0;
  for (Scenario scenario : {Scenario::Conversion, Scenario::ConversionWithoutParameterFile, Scenario::Setup,
                            Scenario::Recreation}) {
    const Start clean = Run(scenario, FileOp::Read, "", 0);
    ASSERT_EQ(clean.status, ExitStatus::Done);
    const std::string new_output = ReadFile(*folder / "part.pr1");
    const std::string new_prm = ReadFile(*folder / "kivrel.prm");
    const auto faults = OperationsOf(clean);
    ASSERT_GE(faults.size(), 5u);
    // The output is in place once its rename is done.
    std::size_t output_renamed = faults.size();
    for (std::size_t k = 0; k < faults.size(); ++k) {
      if (std::get<0>(faults[k]) == FileOp::Rename && std::get<1>(faults[k]) == "part.pr1") output_renamed = k;
    }

    for (std::size_t k = 0; k < faults.size(); ++k) {
      const auto& [op, file, occurrence] = faults[k];
      SCOPED_TRACE(std::string(OpName(op)) + " #" + std::to_string(occurrence) + " of " + file + " (" +
                   ScenarioName(scenario) + ")");
      const Start start = Run(scenario, op, file, occurrence);
      ++injected;
      std::istringstream listing(testing::ListFolder(folder->path()));
      for (std::string name; listing >> name;) {
        EXPECT_NE(std::find(std::begin(kFiles), std::end(kFiles), name), std::end(kFiles)) << "file left: " << name;
      }
      // Up to the fault, the window did what it did in the undisturbed start;
      // after a fault that ends the start, nothing more.
      std::vector<std::string> window;
      for (std::size_t e = 0; e < clean.window.size(); ++e) {
        if (start.status == ExitStatus::Done || clean.window_at[e] <= k) window.push_back(clean.window[e]);
      }
      EXPECT_EQ(start.window, window);

      const bool settings_file = file == "kivrel.prm" || file == "kivrel.prm.bad";
      const bool reading_settings = file == "kivrel.prm" && (op == FileOp::OpenForReading || op == FileOp::Read);
      const bool creating_settings = file == "kivrel.prm" && op == FileOp::CreateTemporary;

      // The parameter file: its old content or a whole new one (the
      // defaults, when it could not be read).
      const std::string prm = std::filesystem::exists(*folder / "kivrel.prm") ? ReadFile(*folder / "kivrel.prm") : "";
      EXPECT_TRUE(prm == OldPrm(scenario) || prm == new_prm || (reading_settings && prm == kDefaultPrm)) << prm;
      if (settings_file && !creating_settings) {
        // Handled as the settings rules say: a message, and the start goes on.
        EXPECT_EQ(start.status, ExitStatus::Done);
        EXPECT_FALSE(start.notices.empty());
      } else {
        EXPECT_EQ(start.status, ExitStatus::Failure);
        ASSERT_EQ(start.failures.size(), 1u);
        EXPECT_NE(start.failures[0].find(file), std::string::npos) << start.failures[0];
        EXPECT_EQ(start.failures[0].find(".tmp"), std::string::npos) << start.failures[0];
        // Replaced only where the fault came after the rename.
        if (scenario != Scenario::Setup) {
          EXPECT_EQ(ReadFile(*folder / "part.pr1"), k > output_renamed ? new_output : kEarlierOutput);
        }
      }
      if (scenario == Scenario::Recreation && std::filesystem::exists(*folder / "kivrel.prm.bad")) {
        EXPECT_EQ(ReadFile(*folder / "kivrel.prm.bad"), kUnreadablePrm);
      }

      // The output: as before, or a whole new one once it had replaced it.
      const std::string output = ReadFile(*folder / "part.pr1");
      const bool whole = output.rfind("(Kivrel Version 4.0.1)\r\n", 0) == 0 &&
                         output.size() > 17 && output.compare(output.size() - 17, 17, "(Finished Kivrel)") == 0;
      EXPECT_TRUE(output == kEarlierOutput || (whole && scenario != Scenario::Setup)) << output;
      if (!reading_settings && output != kEarlierOutput) {
        EXPECT_EQ(output, new_output);
      }
      if (output != kEarlierOutput) {
        // Renamed into place, its folder could not be synced.
        EXPECT_TRUE(start.status == ExitStatus::Done || file == "prepre.res" ||
                    (file == "part.pr1" && op == FileOp::SyncFolder))
            << "replaced by a failed start";
      }

      // The result file: absent, emptied where it could not be removed, or
      // true.
      const std::string result_path = *folder / "prepre.res";
      if (std::filesystem::exists(result_path)) {
        const std::string result = ReadFile(result_path);
        if (op == FileOp::Remove && file == "prepre.res") {
          EXPECT_EQ(result, "") << "the earlier start's success is left to the host";
        } else {
          EXPECT_EQ(start.status, ExitStatus::Done) << result;
          EXPECT_EQ(result, scenario == Scenario::Setup
                                ? "kivrel.pre\r\nversion:4\r\n0\r\n\r\n"
                                : "kivrel.pre\r\nversion:4\r\n" + (*folder / "part.pr1") + "\r\n0\r\n\r\n");
        }
      }
    }
  }
  EXPECT_GE(injected, 30);
  std::cout << "[ faults   ] " << injected << " faults injected and survived\n";
}

// The same with the exceptions of the C++ library (a std::system_error, as a
// thread that cannot start throws): no temporary file left, one report, and
// status 3 whatever the file.
TEST_F(FaultInjection, ExceptionsOfTheLibraryEndTheStartCleanlyToo) {
  const Start clean = Run(Scenario::Conversion, FileOp::Read, "", 0);
  ASSERT_EQ(clean.status, ExitStatus::Done);
  for (const auto& [op, file, occurrence] : OperationsOf(clean)) {
    SCOPED_TRACE(std::string(OpName(op)) + " #" + std::to_string(occurrence) + " of " + file);
    const Start start = Run(Scenario::Conversion, op, file, occurrence, true);
    EXPECT_EQ(start.status, ExitStatus::Failure);
    ASSERT_EQ(start.failures.size(), 1u);
    EXPECT_EQ(start.failures[0].rfind("error ", 0), 0u) << start.failures[0];
    EXPECT_NE(start.failures[0].find("injected fault on"), std::string::npos) << start.failures[0];
    EXPECT_NE(start.failures[0].find(file), std::string::npos) << start.failures[0];
    const std::string listing = testing::ListFolder(folder->path());
    EXPECT_EQ(listing.find(".tmp"), std::string::npos) << "temporary file left: " << listing;
    if (std::filesystem::exists(*folder / "prepre.res")) {
      EXPECT_EQ(ReadFile(*folder / "prepre.res"), "");
    }
  }
}

// The power is cut after each operation of a start that writes, syncs, names
// or removes a file; every state the disk may then be found in is looked at.
TEST_F(FaultInjection, APowerCutAnywhereLeavesEachFileOldOrWholeAndNew) {
  int states = 0;
  for (Scenario scenario : {Scenario::Conversion, Scenario::ConversionWithoutParameterFile, Scenario::SetupSave,
                            Scenario::Recreation}) {
    SCOPED_TRACE(ScenarioName(scenario));
    Prepare(scenario);
    testing::PowerCutFileSystem::DiskState before;
    for (const auto& entry : std::filesystem::directory_iterator(folder->path())) {
      const std::string path = testing::Utf8(entry.path());
      before[path] = ReadFile(path);
    }
    DiskFileSystem disk;
    testing::PowerCutFileSystem power(disk, before);
    ASSERT_EQ(StartIn(scenario, power).status, ExitStatus::Done);
    // Each file before and after the start; nothing where there is none.
    using Content = std::optional<std::string>;
    auto content_of = [](const std::map<std::string, std::string>& files, const std::string& path) -> Content {
      const auto found = files.find(path);
      return found == files.end() ? Content() : Content(found->second);
    };
    std::map<std::string, std::pair<Content, Content>> versions;
    for (const char* name : kFiles) {
      const std::string path = *folder / name;
      versions[name] = {content_of(before, path),
                        std::filesystem::exists(path) ? Content(ReadFile(path)) : Content()};
    }
    ASSERT_FALSE(power.cuts().empty());

    for (const auto& cut : power.cuts()) {
      for (const auto& state : cut.states) {
        ++states;
        for (const auto& [name, version] : versions) {
          SCOPED_TRACE(name + " after \"" + cut.after + "\"");
          const Content content = content_of(state, *folder / name);
          const auto& [old_content, new_content] = version;
          // The result file is removed at the start: the host may find none.
          EXPECT_TRUE(content == old_content || content == new_content || (!content && name == "prepre.res"))
              << (content ? "\"" + *content + "\"" : "missing");
        }
      }
    }
    // Once the start has ended, its files are on the disk.
    for (const auto& state : power.cuts().back().states) {
      for (const auto& [name, version] : versions) {
        EXPECT_EQ(content_of(state, *folder / name), version.second) << name << " of the finished start is not on the disk";
      }
    }
  }
  std::cout << "[ cuts     ] " << states << " states after a power cut looked at\n";
}

}  // namespace
}  // namespace kivrel
