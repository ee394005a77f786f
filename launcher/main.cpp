// Process start-up: the standard library is ready; hand over to the runtime.
#include "launcher/main_routine.h"
#include "runtime/core/startup.h"

int main(int argc, char** argv, char** envp) {
  return RuntimeMain(argc, argv, envp, LauncherEntry);
}
