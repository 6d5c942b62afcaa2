#include "ui/windows_module.h"

#include <dlfcn.h>

#include <iostream>
#include <string>

namespace kivrel {

bool RunWithWindowsModule(int argc, char** argv, const char* program_folder, int& exit_status) {
  const std::string path = std::string(program_folder) + "/" + KIVREL_WINDOWS_MODULE;
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) {
    std::cerr << "Kivrel: the windows cannot be loaded (" << dlerror() << "); going on without them\n";
    return false;
  }
  using Run = int (*)(int, char**);
  auto run = reinterpret_cast<Run>(dlsym(module, "KivrelRunWithWindows"));
  if (run == nullptr) {
    std::cerr << "Kivrel: " << path << " is not the windows module; going on without windows\n";
    return false;
  }
  exit_status = run(argc, argv);
  return true;
}

}  // namespace kivrel
