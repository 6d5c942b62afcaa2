#include "ui/window_system.h"

#include <cstdlib>
#include <cstring>

#include <dlfcn.h>

namespace kivrel {
namespace {

bool Set(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

// Opens and closes a connection through a library of the window system,
// loaded only for this check.
bool Connects(const char* library, const char* connect_name, const char* check_name,
              const char* close_name) {
  void* handle = dlopen(library, RTLD_LAZY | RTLD_LOCAL);
  if (handle == nullptr) return false;
  bool connected = false;
  if (check_name != nullptr) {  // X11 through xcb
    using Connect = void* (*)(const char*, int*);
    using HasError = int (*)(void*);
    using Close = void (*)(void*);
    auto connect = reinterpret_cast<Connect>(dlsym(handle, connect_name));
    auto has_error = reinterpret_cast<HasError>(dlsym(handle, check_name));
    auto close = reinterpret_cast<Close>(dlsym(handle, close_name));
    if (connect != nullptr && has_error != nullptr && close != nullptr) {
      void* connection = connect(nullptr, nullptr);
      if (connection != nullptr) {
        connected = has_error(connection) == 0;
        close(connection);
      }
    }
  } else {  // Wayland
    using Connect = void* (*)(const char*);
    using Close = void (*)(void*);
    auto connect = reinterpret_cast<Connect>(dlsym(handle, connect_name));
    auto close = reinterpret_cast<Close>(dlsym(handle, close_name));
    if (connect != nullptr && close != nullptr) {
      void* display = connect(nullptr);
      if (display != nullptr) {
        connected = true;
        close(display);
      }
    }
  }
  dlclose(handle);
  return connected;
}

}  // namespace

bool WindowSystemAvailable() {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (platform != nullptr && *platform != '\0' && std::strncmp(platform, "xcb", 3) != 0 &&
      std::strncmp(platform, "wayland", 7) != 0) {
    return true;
  }
  if (Set("WAYLAND_DISPLAY") &&
      Connects("libwayland-client.so.0", "wl_display_connect", nullptr, "wl_display_disconnect")) {
    return true;
  }
  return Set("DISPLAY") &&
         Connects("libxcb.so.1", "xcb_connect", "xcb_connection_has_error", "xcb_disconnect");
}

}  // namespace kivrel
