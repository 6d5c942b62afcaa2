// Programs started as a host on Windows starts them: CreateProcessW with a
// command line, standard output and error captured in files.
#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <filesystem>
#include <random>
#include <stdexcept>

#include "platform/wide_text_windows.h"
#include "support/run_program.h"
#include "support/temp_folder.h"

namespace kivrel::testing {
namespace {

// One argument as CommandLineToArgvW reads it back.
std::wstring Quote(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) return argument;
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(2 * backslashes, L'\\');
  return quoted + L"\"";
}

HANDLE Inheritable(const std::filesystem::path& path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  HANDLE handle = CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open " + Utf8(path));
  return handle;
}

bool Removed(const std::wstring& entry) {
  for (const wchar_t* name : {L"DISPLAY=", L"WAYLAND_DISPLAY=", L"QT_QPA_PLATFORM="}) {
    if (entry.rfind(name, 0) == 0) return true;
  }
  return false;
}

}  // namespace

void RunningProgram::Start(const std::string& program, const std::string& command_line,
                           const std::string& working_folder, const std::vector<std::string>& extra_environment) {
  std::random_device random;
  const std::filesystem::path capture =
      std::filesystem::temp_directory_path() / ("kivrel-run-" + std::to_string(random()));
  std::filesystem::create_directory(capture);
  capture_ = Utf8(capture);

  // The environment without a display, then the extra entries, sorted as
  // Windows expects.
  std::vector<std::wstring> entries;
  wchar_t* block = GetEnvironmentStringsW();
  for (const wchar_t* entry = block; *entry != L'\0'; entry += wcslen(entry) + 1) {
    if (!Removed(entry)) entries.emplace_back(entry);
  }
  FreeEnvironmentStringsW(block);
  for (const std::string& extra : extra_environment) entries.push_back(WideFromUtf8(extra));
  std::sort(entries.begin(), entries.end());
  std::wstring environment;
  for (const std::wstring& entry : entries) environment += entry + L'\0';
  environment += L'\0';

  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = Inheritable(L"NUL", GENERIC_READ, OPEN_EXISTING);
  startup.hStdOutput = Inheritable(capture / L"stdout", GENERIC_WRITE, CREATE_ALWAYS);
  startup.hStdError = Inheritable(capture / L"stderr", GENERIC_WRITE, CREATE_ALWAYS);
  PROCESS_INFORMATION started{};
  BOOL ok = FALSE;
  DWORD error = 0;
  // wine now and then fails a start with an internal error while another
  // process of its session starts up; a host would simply try again.
  for (int attempt = 0; attempt < 5 && !ok; ++attempt) {
    if (attempt > 0) Sleep(200);
    std::wstring line = WideFromUtf8(command_line);
    ok = CreateProcessW(WideFromUtf8(program).c_str(), line.data(), nullptr, nullptr, TRUE,
                        CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW, environment.data(),
                        WideFromUtf8(working_folder).c_str(), &startup, &started);
    error = ok ? 0 : GetLastError();
    if (error != ERROR_INTERNAL_ERROR) break;
  }
  CloseHandle(startup.hStdInput);
  CloseHandle(startup.hStdOutput);
  CloseHandle(startup.hStdError);
  if (!ok) throw std::runtime_error("cannot start " + program + ": Windows error " + std::to_string(error));
  CloseHandle(started.hThread);
  process_ = reinterpret_cast<long long>(started.hProcess);
}

RunningProgram::RunningProgram(const std::string& program, const std::vector<std::string>& arguments,
                               const std::string& working_folder,
                               const std::vector<std::string>& extra_environment) {
  std::wstring line = Quote(WideFromUtf8(program));
  for (const std::string& argument : arguments) line += L" " + Quote(WideFromUtf8(argument));
  Start(program, Utf8FromWide(line), working_folder, extra_environment);
}

RunningProgram::RunningProgram(const std::string& program, const std::string& command_tail,
                               const std::string& working_folder) {
  Start(program, Utf8FromWide(Quote(WideFromUtf8(program))) + " " + command_tail, working_folder, {});
}

RunningProgram::~RunningProgram() {
  if (process_ != -1) Wait();
  std::error_code ignored;
  std::filesystem::remove_all(PathOf(capture_), ignored);
}

ProgramRun RunningProgram::Wait() {
  HANDLE process = reinterpret_cast<HANDLE>(process_);
  WaitForSingleObject(process, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  CloseHandle(process);
  process_ = -1;
  ProgramRun run;
  run.status = static_cast<int>(code);
  run.output = ReadFile(capture_ + "\\stdout");
  run.errors = ReadFile(capture_ + "\\stderr");
  return run;
}

ProgramRun RunProgramAt(const std::string& program, const std::vector<std::string>& arguments,
                        const std::string& working_folder,
                        const std::vector<std::string>& extra_environment) {
  return RunningProgram(program, arguments, working_folder, extra_environment).Wait();
}

bool OnWindows() { return true; }

ProgramRun RunBoundByPermissions(const std::string&, const std::vector<std::string>&, const std::string&) {
  throw std::logic_error("no unprivileged start on Windows");
}

ProgramRun RunWithFileSizeLimit(const std::string&, const std::vector<std::string>&, const std::string&, int) {
  throw std::logic_error("no file size limit on Windows");
}

}  // namespace kivrel::testing
