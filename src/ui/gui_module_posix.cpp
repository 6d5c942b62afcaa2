#include "ui/gui_module.h"

#include <dlfcn.h>

#include <iostream>
#include <string>

namespace kivrel {

std::unique_ptr<Windows> OpenWindows(const std::string& program_folder, const char* program_name) {
  const std::string path = program_folder + "/" + KIVREL_GUI_MODULE;
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) {
    std::cerr << "Kivrel: the windows cannot be loaded (" << dlerror() << "); going on without them\n";
    return nullptr;
  }
  // The module's one entry: it builds the windows, which the program then
  // owns. The module stays loaded for the rest of the process.
  using Open = Windows* (*)(const char*);
  auto open = reinterpret_cast<Open>(dlsym(module, "KivrelOpenWindows"));
  if (open == nullptr) {
    std::cerr << "Kivrel: " << path << " is not the GUI module; going on without windows\n";
    return nullptr;
  }
  return std::unique_ptr<Windows>(open(program_name));
}

}  // namespace kivrel
