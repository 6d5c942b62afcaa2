#include "ui/windows_module.h"

#include <dlfcn.h>

#include <iostream>
#include <string>

namespace kivrel {
namespace {

// A function of the windows module beside the program; null (having said
// why on standard error) where it cannot be loaded.
void* WindowsModuleFunction(const char* program_folder, const char* name) {
  const std::string path = std::string(program_folder) + "/" + KIVREL_WINDOWS_MODULE;
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) {
    std::cerr << "Kivrel: the windows cannot be loaded (" << dlerror() << "); going on without them\n";
    return nullptr;
  }
  void* function = dlsym(module, name);
  if (function == nullptr) std::cerr << "Kivrel: " << path << " is not the windows module; going on without windows\n";
  return function;
}

}  // namespace

bool RunWithWindowsModule(int argc, char** argv, const char* program_folder, int& exit_status) {
  using Run = int (*)(int, char**);
  auto run = reinterpret_cast<Run>(WindowsModuleFunction(program_folder, "KivrelRunWithWindows"));
  if (run == nullptr) return false;
  exit_status = run(argc, argv);
  return true;
}

bool ShowNoticesWithWindowsModule(const char* program_folder, const std::string& text) {
  using Show = void (*)(const char*);
  auto show = reinterpret_cast<Show>(WindowsModuleFunction(program_folder, "KivrelShowNotices"));
  if (show == nullptr) return false;
  show(text.c_str());
  return true;
}

}  // namespace kivrel
