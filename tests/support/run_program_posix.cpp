#include "support/run_program.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "support/temp_folder.h"

extern char** environ;

namespace kivrel::testing {

RunningProgram::RunningProgram(const std::string& program, const std::vector<std::string>& arguments,
                               const std::string& working_folder,
                               const std::vector<std::string>& extra_environment) {
  char pattern[] = "/tmp/kivrel-run-XXXXXX";
  if (mkdtemp(pattern) == nullptr) throw std::runtime_error("cannot create a capture folder");
  capture_ = pattern;
  const std::string out_path = capture_ + "/stdout";
  const std::string err_path = capture_ + "/stderr";

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addchdir_np(&actions, working_folder.c_str());

  // A variable given in `extra_environment` replaces the inherited one.
  auto given = [&](const char* entry) {
    for (const std::string& extra : extra_environment) {
      const std::size_t name = extra.find('=') + 1;
      if (std::strncmp(entry, extra.c_str(), name) == 0) return true;
    }
    return false;
  };
  std::vector<std::string> environment;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    if (std::strncmp(*entry, "DISPLAY=", 8) == 0 || std::strncmp(*entry, "WAYLAND_DISPLAY=", 16) == 0 ||
        std::strncmp(*entry, "QT_QPA_PLATFORM=", 16) == 0 || given(*entry)) {
      continue;
    }
    environment.emplace_back(*entry);
  }
  environment.insert(environment.end(), extra_environment.begin(), extra_environment.end());
  std::vector<char*> env_pointers;
  for (auto& entry : environment) env_pointers.push_back(entry.data());
  env_pointers.push_back(nullptr);

  std::vector<std::string> argv_strings{program};
  argv_strings.insert(argv_strings.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv_pointers;
  for (auto& argument : argv_strings) argv_pointers.push_back(argument.data());
  argv_pointers.push_back(nullptr);

  pid_t child = 0;
  const int error = posix_spawn(&child, program.c_str(), &actions, nullptr, argv_pointers.data(),
                                env_pointers.data());
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) throw std::runtime_error("cannot start " + program + ": " + std::strerror(error));
  process_ = child;
}

RunningProgram::RunningProgram(const std::string& program, const std::string&, const std::string&) {
  throw std::logic_error("a verbatim command tail exists on Windows only: " + program);
}

RunningProgram::~RunningProgram() {
  if (process_ > 0) Wait();
  std::error_code ignored;
  std::filesystem::remove_all(capture_, ignored);
}

ProgramRun RunningProgram::Wait() {
  int wait_status = 0;
  while (waitpid(static_cast<pid_t>(process_), &wait_status, 0) < 0) {
    if (errno != EINTR) throw std::runtime_error("cannot wait for the program");
  }
  process_ = -1;
  ProgramRun run;
  run.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : 128 + WTERMSIG(wait_status);
  run.output = ReadFile(capture_ + "/stdout");
  run.errors = ReadFile(capture_ + "/stderr");
  return run;
}

ProgramRun RunProgramAt(const std::string& program, const std::vector<std::string>& arguments,
                        const std::string& working_folder,
                        const std::vector<std::string>& extra_environment) {
  return RunningProgram(program, arguments, working_folder, extra_environment).Wait();
}

bool OnWindows() { return false; }

ProgramRun RunBoundByPermissions(const std::string& program, const std::vector<std::string>& arguments,
                                 const std::string& working_folder) {
  if (geteuid() != 0) return RunProgramAt(program, arguments, working_folder);
  std::vector<std::string> unprivileged{"--reuid=65534", "--regid=65534", "--clear-groups", program};
  unprivileged.insert(unprivileged.end(), arguments.begin(), arguments.end());
  return RunProgramAt("/usr/bin/setpriv", unprivileged, working_folder);
}

ProgramRun RunWithFileSizeLimit(const std::string& program, const std::vector<std::string>& arguments,
                                const std::string& working_folder, int kib) {
  // dash counts in blocks of 512 bytes; SIGXFSZ ignored, the write fails.
  std::vector<std::string> limited{"-c", "trap '' XFSZ; ulimit -f " + std::to_string(kib * 2) + "; exec \"$0\" \"$@\"",
                                   program};
  limited.insert(limited.end(), arguments.begin(), arguments.end());
  return RunProgramAt("/bin/sh", limited, working_folder);
}

}  // namespace kivrel::testing
