#include "ui/gui_module.h"

#include <dlfcn.h>

#include <iostream>
#include <string>

namespace kivrel {
namespace {

// A function of the GUI module beside the program; null (having said
// why on standard error) where it cannot be loaded.
void* GuiModuleFunction(const char* program_folder, const char* name) {
  const std::string path = std::string(program_folder) + "/" + KIVREL_GUI_MODULE;
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) {
    std::cerr << "Kivrel: the windows cannot be loaded (" << dlerror() << "); going on without them\n";
    return nullptr;
  }
  void* function = dlsym(module, name);
  if (function == nullptr) std::cerr << "Kivrel: " << path << " is not the GUI module; going on without windows\n";
  return function;
}

}  // namespace

bool RunWithGuiModule(int argc, char** argv, const char* program_folder, int& exit_status) {
  using Run = int (*)(int, char**);
  auto run = reinterpret_cast<Run>(GuiModuleFunction(program_folder, "KivrelRunWithGui"));
  if (run == nullptr) return false;
  exit_status = run(argc, argv);
  return true;
}

bool ShowNoticesWithGuiModule(const char* program_folder, const std::string& text) {
  using Show = void (*)(const char*);
  auto show = reinterpret_cast<Show>(GuiModuleFunction(program_folder, "KivrelShowNotices"));
  if (show == nullptr) return false;
  show(text.c_str());
  return true;
}

}  // namespace kivrel
